// The facts the kit, the simulated platform and the tests all rely on, each written here once.
// The programs' resource scripts take their texts from here too, so that a program that has no
// string table of its own, the console tool, says exactly what they say. The texts are written as
// both C++ and the resource compiler read them: a quote as \042, since C++ takes "" for the end
// of one string and the start of another, and windres warns at \".
#pragma once

// The hardware ID of the kit's modem: the INF offers its driver for it, and the programs look for
// the modem by it.
#define KIT_MODEM_HARDWARE_ID "WWAN_GENERIC"

// The kit's INF, which lies in the kit's folder beside the programs.
#define KIT_INF_NAME "wwandev.inf"
// Its catalog, which the INF names, beside it.
#define KIT_CATALOG_NAME "wwandev.cat"

// The modem's init string around the APN, which stands in for the one "%s".
#define KIT_APN_INIT_TEMPLATE "E1;+CGDCONT=\042%s\042;+CGQREQ=1"

// What the user is told when Windows refuses the kit's driver package for its signature, beside the
// library's text: the cause, and the fix.
#define KIT_PACKAGE_NOT_TRUSTED                                                              \
  "Windows refused the kit's driver package: wwandev.cat is missing, or not signed by a "    \
  "publisher this PC trusts. Keep wwandev.cat beside wwandev.inf, run \"GprsKit trust\" as " \
  "an administrator (or have the PC trust your organisation's signer), and install again."

// The dial-up entry the kit makes in the user's phonebook, and the device it dials through.
#define KIT_ENTRY_NAME "GPRS Connection"
#define KIT_ENTRY_DEVICE_NAME "GPRS Modem"

#ifndef RC_INVOKED
#ifdef _WIN32
#include <windows.h>
#else
#include "winsim/win32.h"
#endif

inline constexpr char kModemHardwareId[] = KIT_MODEM_HARDWARE_ID;
inline constexpr char kInfName[] = KIT_INF_NAME;
inline constexpr char kCatalogName[] = KIT_CATALOG_NAME;
inline constexpr char kApnInitTemplate[] = KIT_APN_INIT_TEMPLATE;
inline constexpr char kEntryName[] = KIT_ENTRY_NAME;
inline constexpr char kEntryDeviceName[] = KIT_ENTRY_DEVICE_NAME;

// Every text the kit exchanges lives in a buffer of this many bytes: 259 characters and the NUL.
inline constexpr int kTextCapacity = 260;
// A program's string table entry is read into one such buffer.
static_assert(sizeof KIT_PACKAGE_NOT_TRUSTED <= kTextCapacity, "a string-table text must fit");

// The Ports device class, {4D36E978-E325-11CE-BFC1-08002BE10318}, whose devices are the COM ports.
inline constexpr GUID kPortsClassGuid = {
    0x4D36E978, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
#endif
