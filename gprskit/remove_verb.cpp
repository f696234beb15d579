// `GprsKit remove`: the kit's modems go, then the driver packages the system copied for them.
// Phonebooks are left alone: the dial-up entries are the users'.
#include <cstring>

#include "kit_modems.h"
#include "system_function.h"
#include "unique_handle.h"
#include "verb_steps.h"

namespace {

// More packages than modems the kit could ever have made; one past it is left in place, and said.
constexpr int kMaxPackages = 8;

// Only a name the system gives its copies of an INF: "oem", digits, ".inf". It comes from a
// driver key and goes to a call that deletes files from the system's INF folder.
bool IsPackageName(const char* name) {
  const size_t length = strnlen(name, kTextCapacity);
  constexpr size_t kPrefix = 3;  // "oem"
  constexpr size_t kSuffix = 4;  // ".inf"
  if (length <= kPrefix + kSuffix || length == kTextCapacity) return false;
  if (!SameNoCase(std::string_view(name, kPrefix), "oem") ||
      !SameNoCase(std::string_view(name + length - kSuffix, kSuffix), ".inf"))
    return false;
  for (size_t i = kPrefix; i < length - kSuffix; ++i)
    if (name[i] < '0' || name[i] > '9') return false;
  return true;
}

class RemoveEach : public KitModemVisitor {
 public:
  bool Visit(HDEVINFO set, SP_DEVINFO_DATA& element) override {
    // Read before the device goes, with its driver key.
    char package[kTextCapacity];
    {
      DeviceRegKey key(
          SetupDiOpenDevRegKey(set, &element, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ));
      ReadValue(key ? key.get() : nullptr, "InfPath", package);
    }
    if (!SetupDiCallClassInstaller(DIF_REMOVE, set, &element)) {
      failedRemoval = true;
      return false;
    }
    ++removed;
    SP_DEVINSTALL_PARAMS_A params = {};
    params.cbSize = sizeof params;
    if (SetupDiGetDeviceInstallParamsA(set, &element, &params) &&
        (params.Flags & (DI_NEEDREBOOT | DI_NEEDRESTART)))
      restart = true;
    if (IsPackageName(package)) Keep(package);
    return true;
  }

  int removed = 0;
  bool restart = false;
  bool failedRemoval = false;
  char packages[kMaxPackages][kTextCapacity] = {};
  int packageCount = 0;
  bool packagesLeft = false;

 private:
  void Keep(const char* package) {
    for (int i = 0; i < packageCount; ++i)
      if (SameNoCase(packages[i], package)) return;
    if (packageCount == kMaxPackages) {
      packagesLeft = true;
      return;
    }
    std::memcpy(packages[packageCount++], package, strnlen(package, kTextCapacity - 1) + 1);
  }
};

void Failure(Console& console, const char* what) {
  char reason[kTextCapacity];
  SystemReason(GetLastError(), reason);
  console.Error(Words({what, reason}).Text());
}

}  // namespace

int RemoveVerb(Console& console) {
  RemoveEach each;
  if (!ForEachKitModem(each)) {
    // What was removed before stays removed; its packages stay until a run that gets through.
    Failure(console, each.failedRemoval ? "A GPRS modem could not be removed: "
                                        : "The present devices could not all be looked at: ");
    return kExitFailed;
  }
  if (each.removed == 0) {
    console.Line("No GPRS modem (hardware ID " KIT_MODEM_HARDWARE_ID
                 ") is present: nothing to remove.");
    return kExitDone;
  }
  // Windows XP and later remove a driver package; Windows 2000 cannot, and it stays.
  using UninstallOemInf = BOOL(WINAPI*)(LPCSTR, DWORD, PVOID);
  const auto uninstall =
      FunctionIn<UninstallOemInf>(GetModuleHandleA("setupapi.dll"), "SetupUninstallOEMInfA");
  // A package another device still uses stays: the system keeps it for that device.
  GrowingText removed;
  GrowingText inUse;
  bool listed = true;
  for (int i = 0; i < each.packageCount; ++i) {
    const char* package = each.packages[i];
    GrowingText* list = &removed;
    if (!uninstall) {
      list = &inUse;
    } else if (!uninstall(package, 0, nullptr)) {
      if (GetLastError() != ERROR_INF_IN_USE_BY_DEVICES) {
        Failure(console, Words({"The driver package ", package, " could not be removed: "}).Text());
        return kExitFailed;
      }
      list = &inUse;
    }
    listed = listed && list->Append(list->View().empty() ? "" : ", ") && list->Append(package);
  }
  listed = listed && removed.Append(kTextEnd) && inUse.Append(kTextEnd);
  char count[11];
  Decimal(static_cast<unsigned>(each.removed), count);
  const bool anyRemoved = listed && removed.View().size() > 1;
  const bool anyKept = listed && inUse.View().size() > 1;
  console.Line(
      Words({"Removed ", count, each.removed == 1 ? " GPRS modem" : " GPRS modems",
             anyRemoved ? " and the driver package " : "", anyRemoved ? removed.View().data() : "",
             anyKept ? "; the driver package " : "", anyKept ? inUse.View().data() : "",
             anyKept ? (uninstall ? " stays, as another device uses it"
                                  : " stays, as this Windows cannot remove it")
                     : "",
             each.packagesLeft ? " (others stay)" : "",
             each.restart ? "; Windows must be restarted to finish" : "", "."})
          .Text());
  return each.restart ? kExitRestart : kExitDone;
}
