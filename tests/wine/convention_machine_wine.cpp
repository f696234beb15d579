// Under Wine the machine is built once per prefix by fixture_ports.exe (the fixture.ports test,
// which ctest runs first); here a test only makes sure it is there, so that a missing fixture is
// reported as such and not as a string of odd platform answers.

#include <gtest/gtest.h>

#include <string>

#include "beside_program.h"
#include "convention_machine.h"
#include "platform.h"

namespace {

int CountPresent(const GUID& deviceClass) {
  HDEVINFO set = SetupDiGetClassDevsA(&deviceClass, nullptr, nullptr, DIGCF_PRESENT);
  if (set == INVALID_HANDLE_VALUE) return -1;
  SP_DEVINFO_DATA element;
  element.cbSize = sizeof element;
  int count = 0;
  while (SetupDiEnumDeviceInfo(set, static_cast<DWORD>(count), &element)) ++count;
  SetupDiDestroyDeviceInfoList(set);
  return count;
}

}  // namespace

void PrepareConventionMachine() {
  ASSERT_EQ(CountPresent(kPortsClassGuid), kMachinePortCount)
      << "the prefix lacks the fixture's Ports devices; run the wine64.fixture.ports (or wine32) "
         "test first";
  ASSERT_EQ(CountPresent(kMachineTestClass), 1)
      << "the prefix lacks the fixture's test-class device; run the wine64.fixture.ports (or "
         "wine32) test first";
}

bool PlatformIsWine() {
  // Wine's ntdll exports its version; Windows' does not.
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
}

const char* ScratchFileName() {
  static const std::string name = BesideProgram("sharing.tmp");
  return name.c_str();
}
