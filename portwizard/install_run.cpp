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
      return InstallOutcome::kFailed;
  }
}

bool OutcomeMessage(InstallOutcome outcome, char (&text)[kTextCapacity], UINT& style) {
  text[0] = '\0';
  style = MB_OK;
  switch (outcome) {
    case InstallOutcome::kInstalled:
      return false;
    case InstallOutcome::kRestartNeeded:
      style = MB_OK | MB_ICONINFORMATION;
      LoadProgramString(IDS_RESTART_NEEDED, text);
      return true;
    case InstallOutcome::kFolderUnusable:
      LoadProgramString(IDS_FOLDER_UNUSABLE, text);
      return true;
    case InstallOutcome::kFailed:
      break;
  }
  // The library leaves its reason in g_szError; when it left none, the program's own text
  // stands in, in the same buffer, where callers look for it.
  if (g_szError[0] == '\0') LoadProgramString(IDS_INSTALL_FAILED, g_szError);
  std::memcpy(text, g_szError, sizeof text);
  text[kTextCapacity - 1] = '\0';
  return true;
}
