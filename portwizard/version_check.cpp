#include "version_check.h"

bool IsSupportedVersion(DWORD platformId, DWORD majorVersion) {
  return platformId == VER_PLATFORM_WIN32_NT && majorVersion >= 5;
}

bool IsSupportedWindows() {
  OSVERSIONINFOA version;
  version.dwOSVersionInfoSize = sizeof version;
  // Nothing can be promised on a system that will not even say what it is.
  if (!GetVersionExA(&version)) return false;
  return IsSupportedVersion(version.dwPlatformId, version.dwMajorVersion);
}
