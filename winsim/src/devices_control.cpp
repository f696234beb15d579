// The tests' hold on the device tree: devices put in place and read back.
#include <cstdio>

#include "devices.h"
#include "kit_facts.h"

namespace winsim {

using namespace detail;

namespace detail {

std::optional<Values>* DeviceKey(DeviceId id, DWORD keyType) {
  auto device = TheDevices().devices.find(id);
  if (device == TheDevices().devices.end()) return nullptr;
  return keyType == DIREG_DRV ? &device->second.driverKey : &device->second.deviceKey;
}

}  // namespace detail

const GUID kPortsClass = kPortsClassGuid;
const GUID kModemClass = {
    0x4D36E96D, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};

DeviceId AddDevice(const DeviceSpec& wanted) {
  DeviceState& m = TheDevices();
  Device device;
  device.id = m.nextDevice++;
  // A class name of any length is kept whole.
  char number[16];
  (void)std::snprintf(number, sizeof number, "\\%04u", static_cast<unsigned>(device.id));
  device.instanceId = "ROOT\\" + wanted.className + number;
  device.classGuid = wanted.classGuid;
  device.className = wanted.className;
  device.present = wanted.present;
  if (wanted.hardwareIds)
    device.properties[SPDRP_HARDWAREID] = Value{REG_MULTI_SZ, *wanted.hardwareIds};
  device.deviceKey = wanted.deviceKey;
  device.driverKey = wanted.driverKey;
  m.devices[device.id] = device;
  return device.id;
}

DeviceId AddComPort(std::string_view portName, bool present) {
  DeviceSpec wanted;
  wanted.present = present;
  wanted.deviceKey = Values{};
  if (!portName.empty()) (*wanted.deviceKey)["PortName"] = Sz(portName);
  return AddDevice(wanted);
}

void SetDriverKeyReadOnly(DeviceId id, bool readOnly) {
  auto found = TheDevices().devices.find(id);
  if (found != TheDevices().devices.end()) found->second.driverKeyReadOnly = readOnly;
}

std::vector<const Device*> Devices() {
  std::vector<const Device*> devices;
  for (const auto& [id, device] : TheDevices().devices)
    if (device.registered) devices.push_back(&device);
  return devices;
}

const Device* FindDevice(DeviceId id) {
  auto found = TheDevices().devices.find(id);
  return found == TheDevices().devices.end() ? nullptr : &found->second;
}

void LeaveLastErrorAfterSuccess(bool leave) {
  TheDevices().staleLastError = leave;
}

}  // namespace winsim
