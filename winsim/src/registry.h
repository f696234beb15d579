// The current user's registry and the table of open keys, device keys among them.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "core.h"

namespace winsim::detail {

struct KeyHandle {
  std::string userKey;  // a key of the current user's registry, or none for a device's key
  DeviceId device = 0;
  DWORD keyType = DIREG_DEV;
  REGSAM access = 0;
};

struct RegistryState {
  std::map<uintptr_t, KeyHandle> keys;
  std::map<std::string, Values, NoCaseLess> userKeys;

  size_t OpenHandles() const { return keys.size(); }
  void Reset() { *this = RegistryState(); }
};

inline RegistryState& TheRegistry() {
  return AreaState<RegistryState>();
}

// Opens a key of `device` for the registry functions.
HKEY NewKeyHandle(DeviceId device, DWORD keyType, REGSAM access);

}  // namespace winsim::detail
