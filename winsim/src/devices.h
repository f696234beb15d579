// The device tree behind SetupAPI: the devices and the device information sets open on them.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string_view>
#include <vector>

#include "core.h"

namespace winsim::detail {

struct DeviceSet {
  bool hasClass = false;
  GUID classGuid{};
  std::vector<DeviceId> elements;
  // Elements made in this set and not registered: they vanish with the set.
  std::vector<DeviceId> created;
};

struct DeviceState {
  std::map<DeviceId, Device> devices;  // in enumeration order
  DeviceId nextDevice = 1;
  std::map<uintptr_t, DeviceSet> sets;
  bool staleLastError = false;  // successful SetupAPI calls leave the last-error code alone

  size_t OpenHandles() const { return sets.size(); }
  void Reset() { *this = DeviceState(); }
};

inline DeviceState& TheDevices() {
  return AreaState<DeviceState>();
}

// A successful SetupAPI or newdev call: sets the last-error code to 0 unless the machine leaves
// it alone, and returns `result`.
template <class Result>
Result Succeed(Result result) {
  if (!TheDevices().staleLastError) LastError() = ERROR_SUCCESS;
  return result;
}

// The values of a device's hardware key (DIREG_DEV) or driver key (DIREG_DRV); null when the
// device is gone.
std::optional<Values>* DeviceKey(DeviceId id, DWORD keyType);

// Whether the REG_MULTI_SZ bytes hold `id` as a whole entry; never reads past `bytes`.
bool MultiSzHolds(const std::vector<BYTE>& bytes, std::string_view id);

}  // namespace winsim::detail
