#include "modem_devices.h"

#include <cstring>

#include "platform.h"
#include "unique_handle.h"

namespace {

std::string HardwareIds(HDEVINFO set, SP_DEVINFO_DATA& element) {
  char ids[1024] = {};
  DWORD size = 0;
  if (!SetupDiGetDeviceRegistryPropertyA(set, &element, SPDRP_HARDWAREID, nullptr,
                                         reinterpret_cast<BYTE*>(ids), sizeof ids, &size))
    return "";
  return std::string(ids, size < sizeof ids ? size : sizeof ids);
}

bool Holds(const std::string& ids, const char* hardwareId) {
  for (size_t at = 0; at < ids.size() && ids[at] != '\0'; at += std::strlen(ids.c_str() + at) + 1)
    if (_stricmp(ids.c_str() + at, hardwareId) == 0) return true;
  return false;
}

std::string DriverValue(HKEY key, const char* name) {
  char value[1024] = {};
  DWORD size = sizeof value - 1;
  if (RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size) !=
      ERROR_SUCCESS)
    return "";
  return value;
}

// Calls `visit` for each present device holding `hardwareId`.
template <class Visit>
void ForEachModem(const char* hardwareId, Visit visit) {
  DeviceInfoSet set(
      SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES));
  if (!set) return;
  SP_DEVINFO_DATA element;
  element.cbSize = sizeof element;
  for (DWORD index = 0; SetupDiEnumDeviceInfo(set.get(), index, &element); ++index) {
    const std::string ids = HardwareIds(set.get(), element);
    if (Holds(ids, hardwareId)) visit(set.get(), element, ids);
  }
}

}  // namespace

std::vector<ModemSeen> FindModems(const char* hardwareId) {
  std::vector<ModemSeen> modems;
  ForEachModem(hardwareId, [&](HDEVINFO set, SP_DEVINFO_DATA& element, const std::string& ids) {
    ModemSeen modem;
    modem.hardwareIds = ids;
    char instance[MAX_PATH] = {};
    if (SetupDiGetDeviceInstanceIdA(set, &element, instance, sizeof instance, nullptr))
      modem.instanceId = instance;
    DeviceRegKey key(SetupDiOpenDevRegKey(set, &element, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_READ));
    if (key) {
      modem.attachedTo = DriverValue(key.get(), "AttachedTo");
      modem.friendlyName = DriverValue(key.get(), "FriendlyName");
      modem.userInit = DriverValue(key.get(), "UserInit");
    }
    modems.push_back(modem);
  });
  return modems;
}

int RemoveModems(const char* hardwareId) {
  int removed = 0;
  ForEachModem(hardwareId, [&](HDEVINFO set, SP_DEVINFO_DATA& element, const std::string&) {
    if (SetupDiCallClassInstaller(DIF_REMOVE, set, &element)) ++removed;
  });
  return removed;
}
