#include "port_devices.h"

#include <cstring>

#include "unique_handle.h"

const char* MakePresentDevice(const GUID& deviceClass, const char* deviceName, const char* portName,
                              const char* hardwareIds, DWORD hardwareIdsSize) {
  DeviceInfoSet set(SetupDiCreateDeviceInfoList(&deviceClass, nullptr));
  if (!set.valid()) return "SetupDiCreateDeviceInfoList";
  SP_DEVINFO_DATA element;
  element.cbSize = sizeof element;
  if (!SetupDiCreateDeviceInfoA(set.get(), deviceName, &deviceClass, nullptr, nullptr,
                                DICD_GENERATE_ID, &element))
    return "SetupDiCreateDeviceInfoA";
  if (hardwareIds != nullptr && !SetupDiSetDeviceRegistryPropertyA(
                                    set.get(), &element, SPDRP_HARDWAREID,
                                    reinterpret_cast<const BYTE*>(hardwareIds), hardwareIdsSize))
    return "SetupDiSetDeviceRegistryPropertyA(SPDRP_HARDWAREID)";
  if (!SetupDiRegisterDeviceInfo(set.get(), &element, 0, nullptr, nullptr, nullptr))
    return "SetupDiRegisterDeviceInfo";
  DeviceRegKey key(SetupDiCreateDevRegKeyA(set.get(), &element, DICS_FLAG_GLOBAL, 0, DIREG_DEV,
                                           nullptr, nullptr));
  if (!key.valid()) return "SetupDiCreateDevRegKeyA(DIREG_DEV)";
  if (portName != nullptr) {
    const LONG status =
        RegSetValueExA(key.get(), "PortName", 0, REG_SZ, reinterpret_cast<const BYTE*>(portName),
                       static_cast<DWORD>(std::strlen(portName) + 1));
    if (status != ERROR_SUCCESS) {
      // The registry returns its code rather than setting the thread's.
      SetLastError(static_cast<DWORD>(status));
      return "RegSetValueExA(PortName)";
    }
  }
  return nullptr;
}

int RemovePort(const char* portName) {
  DeviceInfoSet set(SetupDiGetClassDevsA(&kPortsClassGuid, nullptr, nullptr, DIGCF_PRESENT));
  if (!set) return 0;
  int removed = 0;
  SP_DEVINFO_DATA element;
  element.cbSize = sizeof element;
  for (DWORD index = 0; SetupDiEnumDeviceInfo(set.get(), index, &element); ++index) {
    DeviceRegKey key(
        SetupDiOpenDevRegKey(set.get(), &element, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ));
    char name[64] = {};
    DWORD size = sizeof name - 1;
    if (key &&
        RegQueryValueExA(key.get(), "PortName", nullptr, nullptr, reinterpret_cast<BYTE*>(name),
                         &size) == ERROR_SUCCESS &&
        std::strcmp(name, portName) == 0 &&
        SetupDiCallClassInstaller(DIF_REMOVE, set.get(), &element))
      ++removed;
  }
  return removed;
}
