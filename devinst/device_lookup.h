// Finding a present device by hardware ID and writing one of its driver-key values.
#pragma once

#include "step_result.h"

// What a search of the present devices established. Only a search that looked at every device can
// say that none carries the ID; one that stopped early must not lead to a second device.
enum class DeviceSearch { kFound, kNoneFound, kIncomplete };

// What a search of the present devices came to, and the write into the device it found.
struct DeviceWrite {
  DeviceSearch search;
  StepResult write;  // what the write came to; done when nothing was found to write into
};

// Looks for the first present device whose hardware-ID list holds `hardwareId` and, when there is
// one, writes the value into its driver key.
DeviceWrite FindDeviceAndWriteValue(const char* hardwareId, const char* valueName,
                                    const char* valueData);
