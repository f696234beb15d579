// `GprsKit status`: what the kit put on this machine, read without changing anything, so that a
// standard user may ask too: every key is opened for reading only.
#include <cstring>

#include "entry_settings.h"
#include "file_lines.h"
#include "hardware_id.h"
#include "phonebook_editor.h"
#include "section_patch.h"
#include "unique_handle.h"
#include "verb_steps.h"

namespace {

// A list that keeps changing size between two reads would otherwise keep the loop going.
constexpr int kMaxReadAttempts = 8;

enum class ListRead { kRead, kNoList, kFailed };

// The device's hardware-ID list, in a buffer grown to the size the platform asks for.
ListRead ReadHardwareIds(HDEVINFO set, SP_DEVINFO_DATA& element, LocalMemory& buffer, DWORD& size) {
  DWORD capacity = 0;
  DWORD required = 0;
  for (int attempt = 0; attempt < kMaxReadAttempts; ++attempt) {
    if (SetupDiGetDeviceRegistryPropertyA(set, &element, SPDRP_HARDWAREID, nullptr,
                                          static_cast<BYTE*>(buffer.get()), capacity, &required)) {
      size = required < capacity ? required : capacity;
      return ListRead::kRead;
    }
    const DWORD code = GetLastError();
    if (code == ERROR_INVALID_DATA) return ListRead::kNoList;
    if (code != ERROR_INSUFFICIENT_BUFFER) return ListRead::kFailed;
    buffer.Reset(LocalAlloc(LPTR, required));
    if (!buffer) return ListRead::kFailed;
    capacity = required;
  }
  return ListRead::kFailed;
}

// A driver-key value as the status shows it: the text, or what stands in for it.
void ReadValue(HKEY key, const char* name, char (&value)[kTextCapacity]) {
  std::memset(value, 0, sizeof value);
  if (!key) {
    std::memcpy(value, "(no driver key)", sizeof "(no driver key)");
    return;
  }
  DWORD type = REG_NONE;
  DWORD size = sizeof value;
  const LONG code =
      RegQueryValueExA(key, name, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  const char* standIn = nullptr;
  if (code == ERROR_FILE_NOT_FOUND) {
    standIn = "(none)";
  } else if (code == ERROR_MORE_DATA ||
             (code == ERROR_SUCCESS && value[sizeof value - 1] != '\0')) {
    // The second: all 260 bytes and no NUL among them, a value stored without its own.
    standIn = "(longer than 259 characters)";
  } else if (code != ERROR_SUCCESS) {
    standIn = "(cannot be read)";
  } else if (type != REG_SZ && type != REG_EXPAND_SZ) {
    standIn = "(not a text)";
  }
  if (!standIn) return;
  std::memset(value, 0, sizeof value);
  std::memcpy(value, standIn, std::strlen(standIn));
}

void ShowModem(HDEVINFO set, SP_DEVINFO_DATA& element, Console& console) {
  char instanceId[kTextCapacity] = {};
  if (!SetupDiGetDeviceInstanceIdA(set, &element, instanceId, sizeof instanceId, nullptr))
    std::memcpy(instanceId, "(instance ID cannot be read)", sizeof "(instance ID cannot be read)");
  console.Line(Words({"Modem ", instanceId}).Text());
  // Read access only: a standard user may look, and only an administrator may change it.
  HKEY opened = SetupDiOpenDevRegKey(set, &element, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ);
  DeviceRegKey driverKey(opened);
  const struct {
    const char* label;
    const char* value;
  } lines[] = {{"  port:           ", "AttachedTo"},
               {"  name:           ", "FriendlyName"},
               {"  init string:    ", "UserInit"},
               {"  driver package: ", "InfPath"}};
  for (const auto& line : lines) {
    char value[kTextCapacity];
    ReadValue(driverKey ? driverKey.get() : nullptr, line.value, value);
    console.Line(Words({line.label, value}).Text());
  }
}

// Every present device with the kit's hardware ID; false when the search could not look at all.
bool ShowModems(Console& console) {
  DeviceInfoSet present(
      SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES));
  bool done = static_cast<bool>(present);
  int modems = 0;
  SP_DEVINFO_DATA element = {};
  element.cbSize = sizeof element;
  for (DWORD index = 0; done; ++index) {
    if (!SetupDiEnumDeviceInfo(present.get(), index, &element)) {
      done = GetLastError() == ERROR_NO_MORE_ITEMS;
      break;
    }
    LocalMemory list;
    DWORD size = 0;
    const ListRead read = ReadHardwareIds(present.get(), element, list, size);
    if (read == ListRead::kFailed) done = false;
    if (read == ListRead::kRead &&
        HardwareIdListHolds(static_cast<const char*>(list.get()), size, kModemHardwareId)) {
      ShowModem(present.get(), element, console);
      ++modems;
    }
  }
  if (!done) {
    char systemText[kTextCapacity] = {};
    char reason[kTextCapacity];
    const DWORD code = GetLastError();
    if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                        0, systemText, sizeof systemText, nullptr))
      systemText[0] = '\0';
    OneLine(systemText, "no text for the failure", reason);
    console.Error(Words({"The present devices could not all be looked at: ", reason}).Text());
    return false;
  }
  if (modems == 0)
    console.Line("No GPRS modem (hardware ID " KIT_MODEM_HARDWARE_ID ") is present.");
  return true;
}

// Whether the user's phonebook holds the entry, with the settings the kit gives it; false when
// the phonebook could not be read.
bool ShowEntry(Console& console) {
  const EntryNames names = {kEntryName, kEntryDeviceName};
  char phonebook[kTextCapacity] = {};
  PhonebookEditor(names).ReadPhonebookPath(phonebook);
  constexpr char kEntry[] = "Dial-up entry \"" KIT_ENTRY_NAME "\": ";
  if (phonebook[0] == '\0') {
    console.Line(
        Words({kEntry, "none; the user's phonebook has no place (no usable \"APPDATA\")"}).Text());
    return true;
  }
  // Shared, so that the look never stands in the way of the service or a running EntryMaker.
  File file(CreateFileA(phonebook, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                        OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    const DWORD code = GetLastError();
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) {
      console.Line(Words({kEntry, "none; there is no phonebook ", phonebook}).Text());
      return true;
    }
    console.Error(Words({"The phonebook ", phonebook, " cannot be read."}).Text());
    return false;
  }
  FileLineSource lines(file.get());
  SectionSettings settings;
  if (!ReadEntrySection(lines, kEntryName, settings)) {
    console.Error(Words({"The phonebook ", phonebook, " cannot be read."}).Text());
    return false;
  }
  if (!settings.found) {
    console.Line(Words({kEntry, "not in ", phonebook}).Text());
    return true;
  }
  if (settings.AsPatched()) {
    console.Line(Words({kEntry, "in ", phonebook, ", with the kit's settings"}).Text());
    return true;
  }
  // The keys whose lines the kit would set otherwise, or none of which stands there at all.
  GrowingText keys;
  bool listed = true;
  for (int i = 0; i < kEntrySettingCount; ++i) {
    if (!settings.differs[i]) continue;
    const std::string_view key = EntrySettings[i].key;
    listed = listed && keys.Append(keys.View().empty() ? "" : ", ") &&
             keys.Append(std::string_view(key.data(), key.size() - 1));  // without its "="
  }
  if (keys.View().empty()) listed = listed && keys.Append("none of them is there");
  listed = listed && keys.Append(kTextEnd);
  console.Line(Words({kEntry, "in ", phonebook, ", without the kit's settings: ",
                      listed ? keys.View().data() : "(no memory to list them)"})
                   .Text());
  return true;
}

}  // namespace

int StatusVerb(Console& console) {
  const bool modemsSeen = ShowModems(console);
  const bool entrySeen = ShowEntry(console);
  return modemsSeen && entrySeen ? kExitDone : kExitFailed;
}
