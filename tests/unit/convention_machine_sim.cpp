// The shared scenarios' machine, built in the simulator: the same devices the Wine fixture makes.
#include <gtest/gtest.h>

#include "convention_machine.h"
#include "winsim/control.h"

void PrepareConventionMachine() {
  winsim::Reset();
  for (const char* name : kMachinePortNames) winsim::AddComPort(name ? name : "");
  winsim::DeviceSpec device;
  device.classGuid = kMachineTestClass;
  device.className = kMachineTestDeviceName;
  device.hardwareIds = std::vector<BYTE>(kMachineTestHardwareIds,
                                         kMachineTestHardwareIds + sizeof kMachineTestHardwareIds);
  device.deviceKey = winsim::Values{};
  winsim::AddDevice(device);
  winsim::AddFolder("C:\\Scratch");
}

const char* ScratchFileName() {
  return "C:\\Scratch\\sharing.tmp";
}

// The simulator stands for Windows, not for Wine.
bool PlatformIsWine() {
  return false;
}
