// The exported interface of InfInstall.dll, the kit's device-install library.
// Functions are exported under their C++ (decorated) names; the programs import them so.
#pragma once

#include "platform.h"

#if defined(_WIN32) && defined(INFINSTALL_BUILDING_DLL)
#define INFINSTALL_API __declspec(dllexport)
#elif defined(_WIN32) && !defined(INFINSTALL_STATIC)
#define INFINSTALL_API __declspec(dllimport)
#else
#define INFINSTALL_API
#endif

// The text of the latest failure the library reported; callers may also write it (260 bytes).
INFINSTALL_API extern char g_szError[kTextCapacity];
// The "FriendlyName" of the modem installed last.
INFINSTALL_API extern char g_szModemDesc[kTextCapacity];

// Appends the name of every present COM port, each followed by ",", to the NUL-terminated text in
// `portList`, a 260-byte buffer. Returns 1 when at least one name was appended, else 0.
INFINSTALL_API int MdmGetPortList(char* portList);

// Looks through `deviceInfoSet` for a device whose hardware-ID list holds `hardwareId` (whole
// entry, letters in any case). Returns 1 and leaves `deviceInfoData` describing it, or 0 with a
// failure text in g_szError.
INFINSTALL_API int MdmFindExistingDevice(const char* hardwareId, HDEVINFO& deviceInfoSet,
                                         SP_DEVINFO_DATA& deviceInfoData);

// Writes `valueName` = `valueData` (REG_SZ) into the driver key of the first present device whose
// hardware-ID list holds `hardwareId`. Returns 1 when such a device exists, even if the write
// failed (the failure then shows in g_szError and in the last-error code), else 0.
INFINSTALL_API int MdmFindDevAndUpdateReg(const char* hardwareId, const char* valueName,
                                          const char* valueData);

// Results of MdmInstallModem.
constexpr int kInstallDone = 0;
constexpr int kInstallNeedsRestart = 1;
constexpr int kInstallFailed = 2;

// Installs the modem driver from `infPath` on the device carrying `hardwareId`, bound to
// `portName`: an existing device is pointed at the port, otherwise a new one is made. Returns
// kInstallDone, kInstallNeedsRestart, or kInstallFailed with the failure's text in g_szError.
// An empty port name is refused, ERROR_INVALID_PARAMETER, before anything is looked at.
INFINSTALL_API int MdmInstallModem(const char* infPath, const char* portName,
                                   const char* hardwareId);
