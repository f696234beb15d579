#include "version_check.h"

#include "system_function.h"

bool IsSupportedVersion(DWORD platformId, DWORD majorVersion) {
  return platformId == VER_PLATFORM_WIN32_NT && majorVersion >= 5;
}

bool IsSupportedWindows() {
  OSVERSIONINFOA version = {};
  version.dwOSVersionInfoSize = sizeof version;
  // Nothing can be promised on a system that will not even say what it is.
  if (!GetVersionExA(&version)) return false;
  return IsSupportedVersion(version.dwPlatformId, version.dwMajorVersion);
}

bool RunsUnderWow64() {
  // kernel32 has IsWow64Process from Windows XP SP2 on; a system without it has no 64-bit
  // edition to run under, and asking by name keeps the program starting on Windows 2000.
  using IsWow64ProcessFunction = BOOL(WINAPI*)(HANDLE, PBOOL);
  const auto isWow64Process = KernelFunction<IsWow64ProcessFunction>("IsWow64Process");
  BOOL underWow64 = FALSE;
  return isWow64Process && isWow64Process(GetCurrentProcess(), &underWow64) && underWow64;
}

SystemFit CheckSystem() {
  if (!IsSupportedWindows()) return SystemFit::kUnsupportedWindows;
  if (RunsUnderWow64()) return SystemFit::kWrongBuild;
  return SystemFit::kInstall;
}
