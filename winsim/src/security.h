// Security: the process's access token, whose it is and whom it makes new files' owner, and the
// security identifiers allocated for the program. A SID is its text, "S-1-5-18", with its NUL.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>

#include "core.h"

namespace winsim::detail {

struct SecurityState {
  std::string tokenOwner = kUserSid;
  std::map<uintptr_t, DWORD> tokens;  // open token handles, with the access each was opened for
  std::set<void*> sids;

  size_t OpenHandles() const { return tokens.size() + sids.size(); }
  // Closes every token and frees every SID.
  void Reset();
};

inline SecurityState& TheSecurity() {
  return AreaState<SecurityState>();
}

// Closes `handle` when it is an open token; false when it is none.
bool CloseToken(HANDLE handle);

}  // namespace winsim::detail
