// Matching a hardware ID against a device's hardware-ID list.
#pragma once

#include <cstddef>

// Whether the REG_MULTI_SZ `list` of `size` bytes holds `hardwareId` as one whole entry, letters
// compared without regard to case. The scan stops at the first empty entry and never reads past
// `size`, also when the list lacks its terminating NULs. An empty ID matches nothing.
bool HardwareIdListHolds(const char* list, size_t size, const char* hardwareId);
