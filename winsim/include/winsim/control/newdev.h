// newdev.dll and the driver package it installs.
#pragma once

#include <set>
#include <string>

#include "winsim/control/values.h"

namespace winsim {

// newdev.dll: whether it exports the driver update, and what the update does.
struct DriverPackage {
  bool exportsUpdate = true;
  bool rebootRequired = false;
  // Values that installing the driver puts into each matching device's driver key. An "InfPath"
  // among them names the copy of the INF the system keeps as the driver package.
  Values driverValues;
  // The flags a device's removal leaves in its install parameters: DI_NEEDREBOOT or
  // DI_NEEDRESTART, either of which asks for a restart.
  DWORD removalFlags = 0;
  // Whether setupapi.dll has SetupUninstallOEMInfA, as from Windows XP on.
  bool uninstallsPackages = true;
};
// The driver packages the system keeps, by the name of their INF copy ("oem3.inf").
std::set<std::string>& DriverPackages();
DriverPackage& Newdev();

}  // namespace winsim
