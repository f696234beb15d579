// `GprsKit status`: what the kit put on this machine, and whether this PC trusts the driver package
// beside the tool, read without changing anything, so that a standard user may ask too: every key
// and file is opened for reading only.
#include <cstring>

#include "catalog_trust.h"
#include "kit_modems.h"
#include "phonebook_editor.h"
#include "section_patch.h"
#include "unique_handle.h"
#include "verb_steps.h"

namespace {

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

class ShowEach : public KitModemVisitor {
 public:
  explicit ShowEach(Console& console) : console_(console) {}
  bool Visit(HDEVINFO set, SP_DEVINFO_DATA& element) override {
    ShowModem(set, element, console_);
    ++modems;
    return true;
  }
  int modems = 0;

 private:
  Console& console_;
};

// Every present device with the kit's hardware ID; false when the search could not look at all.
bool ShowModems(Console& console) {
  ShowEach show(console);
  if (!ForEachKitModem(show)) {
    char reason[kTextCapacity];
    SystemReason(GetLastError(), reason);
    console.Error(Words({"The present devices could not all be looked at: ", reason}).Text());
    return false;
  }
  if (show.modems == 0)
    console.Line("No GPRS modem (hardware ID " KIT_MODEM_HARDWARE_ID ") is present.");
  return true;
}

// Whether the user's phonebook, or the system's, holds the entry, with the settings the kit gives
// it; false when the phonebook could not be read.
bool ShowEntry(Console& console, Phonebook whose) {
  const EntryNames names = {kEntryName, kEntryDeviceName};
  char phonebook[kTextCapacity] = {};
  PhonebookEditor(names, whose).ReadPhonebookPath(phonebook);
  const bool allUsers = whose == Phonebook::kAllUsers;
  const char* const kEntry = allUsers ? "Dial-up entry \"" KIT_ENTRY_NAME "\" for every user: "
                                      : "Dial-up entry \"" KIT_ENTRY_NAME "\": ";
  if (phonebook[0] == '\0') {
    console.Line(Words({kEntry, allUsers ? "none; the system's phonebook has no place (no usable "
                                           "all-users application data folder)"
                                         : "none; the user's phonebook has no place (no usable "
                                           "\"APPDATA\")"})
                     .Text());
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
  SectionSettings settings;
  if (!ReadEntrySection(file.get(), kEntryName, settings)) {
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

// A trust verdict's code as the system words it, after the code itself, which Windows' own
// dialogs show too: "0x800B0109: A certificate chain ...", or the code alone where the system has
// no text for it.
void TrustReason(DWORD code, char (&reason)[kTextCapacity]) {
  constexpr char kDigits[] = "0123456789ABCDEF";
  char hex[] = "0x00000000";
  for (int i = 0; i < 8; ++i) hex[2 + i] = kDigits[(code >> (28 - 4 * i)) & 0xF];
  char systemText[kTextCapacity] = {};
  if (!FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0,
                      systemText, sizeof systemText, nullptr))
    systemText[0] = '\0';
  char line[kTextCapacity];
  OneLine(systemText, "", line);
  OneLine(Words({hex, line[0] ? ": " : "", line}).Text(), hex, reason);
}

// The driver package's catalog beside the tool: whether it lists the INF as it is now, and
// whether this PC trusts it. A catalog this PC does not trust is a state the status reports, not a
// failure of its own; false only when the files could not be looked at.
bool ShowCatalog(Console& console) {
  CatalogVerdict verdict;
  CheckCatalog(verdict);
  char reason[kTextCapacity];
  constexpr char kCatalog[] = "Driver package catalog: ";
  constexpr char kLists[] = "  lists the INF:  ";
  constexpr char kSignature[] = "  signature:      ";
  switch (verdict.check) {
    case CatalogCheck::kNoFolder:
      console.Error(
          "The folder of GprsKit.exe cannot be used: its path is too long or cannot be read.");
      return false;
    case CatalogCheck::kUnreadable:
      SystemReason(verdict.code, reason);
      console.Error(
          Words({"The driver package's ", verdict.Unreadable(), " cannot be read: ", reason})
              .Text());
      return false;
    case CatalogCheck::kNoCatalog:
      console.Line(Words({kCatalog, "none; there is no ", verdict.catalog}).Text());
      return true;
    default:
      console.Line(Words({kCatalog, verdict.catalog}).Text());
      break;
  }
  switch (verdict.check) {
    case CatalogCheck::kNoInf:
      console.Line(Words({kLists, "no; there is no ", verdict.inf}).Text());
      break;
    case CatalogCheck::kNoWintrust:
      SystemReason(verdict.code, reason);
      console.Line(
          Words({kLists, "not known; this Windows cannot read catalogs (", reason, ")"}).Text());
      break;
    case CatalogCheck::kNotACatalog:
      TrustReason(verdict.code, reason);
      console.Line(Words({kLists, "no; it is no catalog Windows can read (", reason, ")"}).Text());
      break;
    case CatalogCheck::kInfChanged:
      console.Line(Words({kLists, "no, not " KIT_INF_NAME " as it is now"}).Text());
      console.Line(Words({kSignature,
                          "not trusted: " KIT_INF_NAME " was changed after the catalog was made"})
                       .Text());
      break;
    case CatalogCheck::kTrusted:
      console.Line(Words({kLists, "yes, " KIT_INF_NAME " as it is now"}).Text());
      console.Line(Words({kSignature, "trusted on this PC"}).Text());
      break;
    default:  // not trusted
      TrustReason(verdict.code, reason);
      console.Line(Words({kLists, "yes, " KIT_INF_NAME " as it is now"}).Text());
      console.Line(
          Words({kSignature, "not trusted: ", DistrustCause(verdict.code), " (", reason, ")"})
              .Text());
      break;
  }
  return true;
}

}  // namespace

int StatusVerb(Console& console) {
  const bool modemsSeen = ShowModems(console);
  const bool catalogSeen = ShowCatalog(console);
  const bool entrySeen = ShowEntry(console, Phonebook::kUser);
  // The entry the installer's unattended set-up makes for every user of the PC.
  const bool sharedEntrySeen = ShowEntry(console, Phonebook::kAllUsers);
  return modemsSeen && catalogSeen && entrySeen && sharedEntrySeen ? kExitDone : kExitFailed;
}
