// Builds the shared test machine in the current Wine prefix: the Ports devices the port list reads
// and the one device of the tests' own class, all present and root-enumerated.
//
// Running it again on a prefix that already holds exactly that machine changes nothing; a prefix
// that holds anything else in those two classes is refused, because the tests could not trust it.
// Every failure ends the program with a message and exit code 1.

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "convention_machine.h"
#include "port_devices.h"
#include "platform.h"
#include "unique_handle.h"

namespace {

[[noreturn]] void Fail(const char* step) {
  const DWORD code = GetLastError();
  (void)std::fprintf(stderr, "fixture_ports: %s failed (error 0x%08lx)\n", step,
                     static_cast<unsigned long>(code));
  std::exit(1);
}

[[noreturn]] void Refuse(const std::string& why) {
  (void)std::fprintf(stderr, "fixture_ports: %s\n", why.c_str());
  std::exit(1);
}

// What one present device of the machine's two classes looks like from outside.
struct Seen {
  std::optional<std::string> portName;  // the device key's "PortName", if any
  std::string hardwareIds;              // the raw hardware-ID multi-string, empty if none
};

std::vector<Seen> ReadPresent(const GUID& deviceClass) {
  DeviceInfoSet set(SetupDiGetClassDevsA(&deviceClass, nullptr, nullptr, DIGCF_PRESENT));
  if (!set.valid()) Fail("SetupDiGetClassDevsA(DIGCF_PRESENT)");

  std::vector<Seen> seen;
  SP_DEVINFO_DATA element;
  element.cbSize = sizeof element;
  DWORD index = 0;
  for (; SetupDiEnumDeviceInfo(set.get(), index, &element); ++index) {
    Seen device;
    DeviceRegKey key(
        SetupDiOpenDevRegKey(set.get(), &element, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ));
    if (key.valid()) {
      char name[256] = {};
      DWORD size = sizeof name - 1;
      DWORD type = 0;
      if (RegQueryValueExA(key.get(), "PortName", nullptr, &type, reinterpret_cast<BYTE*>(name),
                           &size) == ERROR_SUCCESS) {
        device.portName = std::string(name);
      }
    }
    char ids[512];
    DWORD idsSize = 0;
    if (SetupDiGetDeviceRegistryPropertyA(set.get(), &element, SPDRP_HARDWAREID, nullptr,
                                          reinterpret_cast<BYTE*>(ids), sizeof ids, &idsSize)) {
      device.hardwareIds.assign(ids, idsSize);
    }
    seen.push_back(device);
  }
  if (GetLastError() != ERROR_NO_MORE_ITEMS) Fail("SetupDiEnumDeviceInfo");
  return seen;
}

std::string Describe(const std::vector<Seen>& devices) {
  std::string text;
  for (const Seen& device : devices) {
    if (!text.empty()) text += ", ";
    text += device.portName ? *device.portName : "(no PortName)";
    if (!device.hardwareIds.empty()) text += " [hardware IDs]";
  }
  return text.empty() ? "nothing" : text;
}

bool PortsAreTheMachines(const std::vector<Seen>& ports) {
  if (ports.size() != static_cast<size_t>(kMachinePortCount)) return false;
  for (int i = 0; i < kMachinePortCount; ++i) {
    const char* expected = kMachinePortNames[i];
    const std::optional<std::string>& name = ports[i].portName;
    if (expected == nullptr ? name.has_value() : (!name || *name != expected)) return false;
    if (!ports[i].hardwareIds.empty()) return false;
  }
  return true;
}

bool TestDeviceIsTheMachines(const std::vector<Seen>& devices) {
  return devices.size() == 1 && !devices[0].portName &&
         devices[0].hardwareIds ==
             std::string(kMachineTestHardwareIds, sizeof kMachineTestHardwareIds);
}

// Makes one device or ends the program saying which step failed.
void MakeDevice(const GUID& deviceClass, const char* deviceName, const char* portName,
                const char* hardwareIds, DWORD hardwareIdsSize) {
  const char* failedStep =
      MakePresentDevice(deviceClass, deviceName, portName, hardwareIds, hardwareIdsSize);
  if (failedStep) Fail(failedStep);
}

}  // namespace

int main() {
  const std::vector<Seen> ports = ReadPresent(kPortsClassGuid);
  const std::vector<Seen> testDevices = ReadPresent(kMachineTestClass);

  if (ports.empty() && testDevices.empty()) {
    for (const char* portName : kMachinePortNames) {
      MakeDevice(kPortsClassGuid, kMachinePortDeviceName, portName, nullptr, 0);
    }
    MakeDevice(kMachineTestClass, kMachineTestDeviceName, nullptr, kMachineTestHardwareIds,
               sizeof kMachineTestHardwareIds);
  } else if (!PortsAreTheMachines(ports) || !TestDeviceIsTheMachines(testDevices)) {
    Refuse("the prefix already holds other devices: Ports: " + Describe(ports) +
           "; test class: " + Describe(testDevices));
  }

  // Read the machine back the way the tests will: present devices, in enumeration order.
  const std::vector<Seen> portsNow = ReadPresent(kPortsClassGuid);
  const std::vector<Seen> testDevicesNow = ReadPresent(kMachineTestClass);
  if (!PortsAreTheMachines(portsNow)) {
    Refuse("the Ports devices read back as " + Describe(portsNow));
  }
  if (!TestDeviceIsTheMachines(testDevicesNow)) {
    Refuse("the test-class devices read back as " + Describe(testDevicesNow));
  }
  std::printf("fixture_ports: Ports: %s; test class: %s\n", Describe(portsNow).c_str(),
              Describe(testDevicesNow).c_str());
  return 0;
}
