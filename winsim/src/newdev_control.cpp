// The tests' hold on newdev.dll and its driver package.
#include "newdev.h"

namespace winsim {

namespace detail {

DriverPackage NewdevState::DefaultPackage() {
  DriverPackage package;
  package.driverValues["FriendlyName"] = Sz("GPRS Modem");
  return package;
}

}  // namespace detail

DriverPackage& Newdev() {
  return detail::TheNewdev().package;
}

std::set<std::string>& DriverPackages() {
  return detail::TheNewdev().packages;
}

}  // namespace winsim
