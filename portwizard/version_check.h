#pragma once

#include "platform.h"

// The kit runs on the Windows NT family from version 5 (Windows 2000) on.
bool IsSupportedVersion(DWORD platformId, DWORD majorVersion);

// Asks the running system; a system whose version cannot be read is not supported.
bool IsSupportedWindows();

// Whether this is a 32-bit process on 64-bit Windows. Such a process cannot install a driver
// (the update fails with ERROR_IN_WOW64), so it must not create the device in the first place.
// False where the system cannot say, which is a system with no 64-bit Windows under it.
bool RunsUnderWow64();

// What PortWizard may do on the running system.
enum class SystemFit {
  kInstall,             // install the modem
  kUnsupportedWindows,  // an older or a non-NT Windows
  kWrongBuild           // the 32-bit kit on 64-bit Windows
};
SystemFit CheckSystem();
