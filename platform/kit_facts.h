// The facts the kit, the simulated platform and the tests all rely on, each written here once.
// The programs' resource scripts take the hardware ID from here too.
#pragma once

// The hardware ID of the kit's modem: the INF offers its driver for it, and the programs look for
// the modem by it.
#define KIT_MODEM_HARDWARE_ID "WWAN_GENERIC"

#ifndef RC_INVOKED
#ifdef _WIN32
#include <windows.h>
#else
#include "winsim/win32.h"
#endif

inline constexpr char kModemHardwareId[] = KIT_MODEM_HARDWARE_ID;

// Every text the kit exchanges lives in a buffer of this many bytes: 259 characters and the NUL.
inline constexpr int kTextCapacity = 260;

// The Ports device class, {4D36E978-E325-11CE-BFC1-08002BE10318}, whose devices are the COM ports.
inline constexpr GUID kPortsClassGuid = {
    0x4D36E978, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
#endif
