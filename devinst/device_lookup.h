// Finding a present device by hardware ID and writing one of its driver-key values.
#pragma once

// What a search of the present devices established. Only a search that looked at every device can
// say that none carries the ID; one that stopped early must not lead to a second device.
enum class DeviceSearch { kFound, kNoneFound, kIncomplete };

// Looks for the first present device whose hardware-ID list holds `hardwareId` and, when there is
// one, writes the value into its driver key; `valueWritten` tells whether the value was stored.
DeviceSearch FindDeviceAndWriteValue(const char* hardwareId, const char* valueName,
                                     const char* valueData, bool& valueWritten);
