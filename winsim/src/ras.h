// The remote-access service: how it writes an entry into a phonebook.
#pragma once

#include "core.h"

namespace winsim::detail {

struct RasState {
  bool phonebookWithFrameSize = false;

  void Reset() { *this = RasState(); }
};

inline RasState& TheRas() {
  return AreaState<RasState>();
}

}  // namespace winsim::detail
