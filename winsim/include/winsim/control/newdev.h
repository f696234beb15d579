// newdev.dll and the driver package it installs.
#pragma once

#include "winsim/control/values.h"

namespace winsim {

// newdev.dll: whether it loads, whether it exports the driver update, and what the update does.
struct DriverPackage {
  bool loadable = true;
  bool exportsUpdate = true;
  bool rebootRequired = false;
  // Values that installing the driver puts into each matching device's driver key.
  Values driverValues;
};
DriverPackage& Newdev();

}  // namespace winsim
