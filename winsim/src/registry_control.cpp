// The tests' hold on the current user's registry.
#include "registry.h"

namespace winsim {

void SetUserValue(std::string_view key, std::string_view name, const Value& value) {
  detail::TheRegistry().userKeys[std::string(key)][std::string(name)] = value;
}

}  // namespace winsim
