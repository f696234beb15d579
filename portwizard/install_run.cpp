#include "install_run.h"

#include <cstring>

#include "InfInstall.h"
#include "port_choice.h"
#include "resource.h"

bool BuildInfPath(const char* directory, DWORD directoryLength, const char* infName,
                  char (&path)[kTextCapacity]) {
  std::memset(path, 0, sizeof path);
  // 0 means the directory could not be read; a length past the buffer is the size it would need.
  if (directoryLength == 0 || directoryLength >= kTextCapacity) return false;
  const size_t nameLength = std::strlen(infName);
  if (directoryLength + 1 + nameLength > kTextCapacity - 1) return false;
  std::memcpy(path, directory, directoryLength);
  path[directoryLength] = '\\';
  std::memcpy(path + directoryLength + 1, infName, nameLength + 1);
  return true;
}

bool InfBesideProgram(const char* infName, char (&infPath)[kTextCapacity]) {
  std::memset(infPath, 0, sizeof infPath);
  char program[kTextCapacity] = {};
  const DWORD length = GetModuleFileNameA(nullptr, program, sizeof program);
  // A path that filled the buffer was cut: Windows 2000 then leaves out the NUL as well.
  if (length == 0 || length >= sizeof program) return false;
  const char* separator = std::strrchr(program, '\\');
  if (!separator) return false;
  return BuildInfPath(program, static_cast<DWORD>(separator - program), infName, infPath);
}

InstallOutcome RunInstall() {
  char hardwareId[kTextCapacity] = {};
  char infName[kTextCapacity] = {};
  char infPath[kTextCapacity] = {};
  LoadProgramString(IDS_HARDWARE_ID, hardwareId);
  LoadProgramString(IDS_INF_NAME, infName);
  if (!InfBesideProgram(infName, infPath)) return InstallOutcome::kFolderUnusable;
  switch (MdmInstallModem(infPath, g_szPort, hardwareId)) {
    case kInstallDone:
      return InstallOutcome::kInstalled;
    case kInstallNeedsRestart:
      return InstallOutcome::kRestartNeeded;
    default:
      // The library keeps the failure's code for its caller.
      return IsSignatureRefusal(GetLastError()) ? InstallOutcome::kNotTrusted
                                                : InstallOutcome::kFailed;
  }
}

bool IsSignatureRefusal(DWORD code) {
  // SetupAPI's own codes, as setupapi.h composes them, then those of the trust checks (winerror.h).
  constexpr DWORD kSetupApiError = 0xE0000000;
  const DWORD refusals[] = {
      kSetupApiError | 0x22F,  // ERROR_NO_CATALOG_FOR_OEM_INF
      kSetupApiError | 0x23F,  // ERROR_NO_AUTHENTICODE_CATALOG
      kSetupApiError | 0x240,  // ERROR_AUTHENTICODE_DISALLOWED
      kSetupApiError | 0x242,  // ERROR_AUTHENTICODE_TRUST_NOT_ESTABLISHED
      kSetupApiError | 0x243,  // ERROR_AUTHENTICODE_PUBLISHER_NOT_TRUSTED
      kSetupApiError | 0x247,  // ERROR_DRIVER_STORE_ADD_FAILED
      0x800B0004,              // TRUST_E_SUBJECT_NOT_TRUSTED
      0x800B0100,              // TRUST_E_NOSIGNATURE
      0x800B0101,              // CERT_E_EXPIRED
      0x800B0109,              // CERT_E_UNTRUSTEDROOT
      0x800B010A,              // CERT_E_CHAINING
      0x800B0111,              // TRUST_E_EXPLICIT_DISTRUST
      0x80096010,              // TRUST_E_BAD_DIGEST
  };
  for (const DWORD refusal : refusals)
    if (code == refusal) return true;
  return false;
}

namespace {

// Adds `part` to the end of `text`, cut to fit.
void Append(char (&text)[kMessageCapacity], const char* part) {
  const size_t length = strnlen(text, sizeof text - 1);
  const size_t count = strnlen(part, sizeof text - 1 - length);
  std::memcpy(text + length, part, count);
  text[length + count] = '\0';
}

}  // namespace

bool OutcomeMessage(InstallOutcome outcome, char (&text)[kMessageCapacity], UINT& style) {
  text[0] = '\0';
  style = MB_OK;
  char part[kTextCapacity] = {};
  switch (outcome) {
    case InstallOutcome::kInstalled:
      return false;
    case InstallOutcome::kRestartNeeded:
      style = MB_OK | MB_ICONINFORMATION;
      LoadProgramString(IDS_RESTART_NEEDED, part);
      Append(text, part);
      return true;
    case InstallOutcome::kFolderUnusable:
      LoadProgramString(IDS_FOLDER_UNUSABLE, part);
      Append(text, part);
      return true;
    case InstallOutcome::kNotTrusted:
      // What the user can do about it first, then the library's own reason.
      LoadProgramString(IDS_PACKAGE_NOT_TRUSTED, part);
      Append(text, part);
      Append(text, "\n");
      break;
    case InstallOutcome::kFailed:
      break;
  }
  // The library leaves its reason in g_szError; when it left none, the program's own text
  // stands in, in the same buffer, where callers look for it.
  if (g_szError[0] == '\0') LoadProgramString(IDS_INSTALL_FAILED, g_szError);
  std::memcpy(part, g_szError, sizeof part);
  part[kTextCapacity - 1] = '\0';
  Append(text, part);
  return true;
}
