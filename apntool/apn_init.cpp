#include "apn_init.h"

#include <cstring>

#include "InfInstall.h"
#include "program_strings.h"
#include "resource.h"

bool BuildApnInitString(const char* format, const char* apn, char (&initString)[kTextCapacity]) {
  std::memset(initString, 0, sizeof initString);
  const char* slot = std::strstr(format, "%s");
  const size_t before = slot ? static_cast<size_t>(slot - format) : std::strlen(format);
  const size_t apnLength = slot ? std::strlen(apn) : 0;
  const char* after = slot ? slot + 2 : format + before;
  const size_t afterLength = std::strlen(after);
  if (before + apnLength + afterLength > kTextCapacity - 1) return false;
  std::memcpy(initString, format, before);
  std::memcpy(initString + before, apn, apnLength);
  std::memcpy(initString + before + apnLength, after, afterLength);
  return true;
}

ApnWrite WriteApnInit(const char* hardwareId, const char* format, const char* apn) {
  char initString[kTextCapacity] = {};
  if (!BuildApnInitString(format, apn, initString)) return ApnWrite::kTooLong;
  // The library answers 1 whenever the modem exists, written or not, and leaves the write's
  // failure as the last-error code: a user without administrator rights, whose driver key cannot
  // be opened for writing, must not be told the APN was set.
  SetLastError(ERROR_SUCCESS);
  const int found = MdmFindDevAndUpdateReg(hardwareId, "UserInit", initString);
  const DWORD code = GetLastError();
  if (found == 0) return code == ERROR_NO_MORE_ITEMS ? ApnWrite::kNoModem : ApnWrite::kSearchFailed;
  return code == ERROR_SUCCESS ? ApnWrite::kWritten : ApnWrite::kNotWritten;
}

bool WriteApnInitString(const char* apn) {
  char hardwareId[kTextCapacity] = {};
  char format[kTextCapacity] = {};
  LoadProgramString(IDS_HARDWARE_ID, hardwareId);
  LoadProgramString(IDS_INIT_TEMPLATE, format);
  return WriteApnInit(hardwareId, format, apn) == ApnWrite::kWritten;
}
