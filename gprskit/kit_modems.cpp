#include "kit_modems.h"

#include <cstring>

#include "hardware_id.h"
#include "unique_handle.h"
#include "verb_steps.h"

bool ForEachKitModem(KitModemVisitor& visitor) {
  DeviceInfoSet present(
      SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES));
  if (!present) return false;
  SP_DEVINFO_DATA element = {};
  element.cbSize = sizeof element;
  for (DWORD index = 0;; ++index) {
    // A failure need not set the code, and a code an earlier call left may be the list's end.
    SetLastError(ERROR_SUCCESS);
    if (!SetupDiEnumDeviceInfo(present.get(), index, &element))
      return GetLastError() == ERROR_NO_MORE_ITEMS;
    LocalMemory list;
    DWORD size = 0;
    const ListRead read = ReadHardwareIds(present.get(), element, list, size);
    if (read == ListRead::kFailed) return false;
    if (read == ListRead::kRead &&
        HardwareIdListHolds(static_cast<const char*>(list.get()), size, kModemHardwareId) &&
        !visitor.Visit(present.get(), element))
      return false;
  }
}

ValueRead ReadText(HKEY key, const char* name, char (&value)[kTextCapacity]) {
  std::memset(value, 0, sizeof value);
  if (!key) return ValueRead::kNoKey;
  DWORD type = REG_NONE;
  DWORD size = sizeof value;
  const LONG code =
      RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  ValueRead read = ValueRead::kText;
  if (code == ERROR_FILE_NOT_FOUND) {
    read = ValueRead::kNone;
  } else if (code == ERROR_MORE_DATA ||
             (code == ERROR_SUCCESS && value[sizeof value - 1] != '\0')) {
    // The second: all 260 bytes and no NUL among them, a value stored without its own.
    read = ValueRead::kTooLong;
  } else if (code != ERROR_SUCCESS) {
    read = ValueRead::kUnreadable;
  } else if (type != REG_SZ && type != REG_EXPAND_SZ) {
    read = ValueRead::kNotText;
  }
  if (read != ValueRead::kText) std::memset(value, 0, sizeof value);
  return read;
}

const char* StandIn(ValueRead read) {
  const struct {
    ValueRead read;
    const char* standIn;
  } kStandIns[] = {{ValueRead::kNone, "(none)"},
                   {ValueRead::kNoKey, "(no driver key)"},
                   {ValueRead::kTooLong, "(longer than 259 characters)"},
                   {ValueRead::kUnreadable, "(cannot be read)"}};
  for (const auto& each : kStandIns)
    if (each.read == read) return each.standIn;
  return "(not a text)";
}

// A driver-key value as the status shows it: the text, or what stands in for it.
void ReadValue(HKEY key, const char* name, char (&value)[kTextCapacity]) {
  const ValueRead read = ReadText(key, name, value);
  if (read == ValueRead::kText) return;
  const char* standIn = StandIn(read);
  std::memcpy(value, standIn, std::strlen(standIn) + 1);
}

void SystemReason(DWORD code, char (&reason)[kTextCapacity]) {
  // The system's text for 0 is that of a success.
  if (code == ERROR_SUCCESS) {
    OneLine("no reason was given (error code 0)", "", reason);
    return;
  }
  char systemText[kTextCapacity] = {};
  if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                      systemText, sizeof systemText, nullptr))
    systemText[0] = '\0';
  OneLine(systemText, "no text for the failure", reason);
}
