// The machine the shared scenarios run on. Under Wine the fixture program builds it in the prefix
// through SetupAPI; on the host the simulator builds the same machine. Both must agree on every
// detail below, because the scenarios compare the platform's answers against it.
#pragma once

#include "platform.h"

// Present Ports devices, in the order they were made and are enumerated. Each has a device key;
// nullptr marks the one whose device key holds no "PortName". None has a driver key or a
// hardware-ID list.
constexpr const char* kMachinePortNames[] = {"COM1", "COM4", "LPT1", nullptr};
constexpr int kMachinePortCount = sizeof kMachinePortNames / sizeof kMachinePortNames[0];
// The name each Ports device was created under; the platform generates "ROOT\PORTS\nnnn".
constexpr char kMachinePortDeviceName[] = "Ports";

// A class of the tests' own, holding exactly one present device. It has a device key and the
// hardware-ID list below, and no driver key. The class itself is not installed (no class key).
constexpr GUID kMachineTestClass = {
    0x1B9C3A55, 0x6C2E, 0x4F0A, {0x9D, 0x31, 0x5E, 0x47, 0x2A, 0x80, 0xC1, 0x6D}};
constexpr char kMachineTestDeviceName[] = "KitTest";
// A multi-string: two IDs, each NUL-terminated, and the NUL that ends the list (36 bytes).
constexpr char kMachineTestHardwareIds[] = "KitTest\\Convention\0KitTest\\Generic\0";

// Makes the machine above the one the calling test sees. Reports a failed precondition through
// GoogleTest's fatal assertions, so a caller wraps it in ASSERT_NO_FATAL_FAILURE.
void PrepareConventionMachine();

// Whether the platform under the scenario is Wine, whose SetupAPI and message texts differ from
// Windows' in ways the scenario states.
bool PlatformIsWine();

// A file name in a folder the scenarios may write, where no file stands yet: the simulator's
// sandbox on the host, the scenario program's own folder under Wine.
const char* ScratchFileName();
