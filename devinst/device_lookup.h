// Finding a present device by hardware ID and writing one of its driver-key values.
#pragma once

// Looks for the first present device whose hardware-ID list holds `hardwareId` and writes the
// value into its driver key. Returns whether such a device exists; `valueWritten` tells whether
// the value was stored.
bool FindDeviceAndWriteValue(const char* hardwareId, const char* valueName, const char* valueData,
                             bool& valueWritten);
