// Matching a hardware ID against a device's hardware-ID list.
#pragma once

#include <cstddef>

#include "unique_handle.h"

// Whether the REG_MULTI_SZ `list` of `size` bytes holds `hardwareId` as one whole entry, letters
// compared without regard to case. The scan stops at the first empty entry and never reads past
// `size`, also when the list lacks its terminating NULs. An empty ID matches nothing.
bool HardwareIdListHolds(const char* list, size_t size, const char* hardwareId);

enum class ListRead { kRead, kNoList, kFailed };

// Reads the element's hardware-ID list into `buffer`, grown to the size the platform asks for;
// `size` is what the platform wrote. kNoList for a device without one; kFailed leaves the
// platform's code as the last-error code.
ListRead ReadHardwareIds(HDEVINFO set, SP_DEVINFO_DATA& element, LocalMemory& buffer, DWORD& size);
