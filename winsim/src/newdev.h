// newdev.dll's driver package.
#pragma once

#include "core.h"

namespace winsim::detail {

struct NewdevState {
  DriverPackage package = DefaultPackage();
  std::set<std::string> packages;

  static DriverPackage DefaultPackage();
  void Reset() { *this = NewdevState(); }
};

inline NewdevState& TheNewdev() {
  return AreaState<NewdevState>();
}

}  // namespace winsim::detail
