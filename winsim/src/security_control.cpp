// The tests' hold on the process's token.
#include <cstdlib>

#include "security.h"

namespace winsim {

using namespace detail;

namespace detail {

void SecurityState::Reset() {
  for (void* sid : sids) std::free(sid);
  *this = SecurityState();
}

}  // namespace detail

void SetTokenOwner(std::string_view sid) {
  TheSecurity().tokenOwner = std::string(sid);
}

}  // namespace winsim
