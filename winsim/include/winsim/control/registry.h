// The current user's registry.
#pragma once

#include <string_view>

#include "winsim/control/values.h"

namespace winsim {

// A value in the current user's registry, under `key` (a path below HKEY_CURRENT_USER).
void SetUserValue(std::string_view key, std::string_view name, const Value& value);

}  // namespace winsim
