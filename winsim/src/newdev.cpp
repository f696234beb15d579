// The driver update of newdev.dll: installs the package's driver on every present device that
// carries the hardware ID. Its driver values join what the driver key already holds.
#include "devices.h"
#include "newdev.h"

using namespace winsim;
using namespace winsim::detail;

BOOL WINAPI SetupUninstallOEMInfA(LPCSTR infFileName, DWORD flags, PVOID reserved) {
  ApiCall call("SetupUninstallOEMInfA", {{"infFileName", Text(infFileName)},
                                         {"flags", Hex(flags)},
                                         {"reserved", Given(reserved != nullptr)}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  if (!infFileName || reserved) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  auto& packages = TheNewdev().packages;
  const auto found = packages.find(infFileName);
  if (found == packages.end()) return Fail(ERROR_FILE_NOT_FOUND, FALSE);
  // A package a present device still uses stays, unless it is forced out.
  const Value used = Sz(infFileName);
  for (const auto& [id, device] : TheDevices().devices) {
    if (!(flags & SUOI_FORCEDELETE) && device.registered && device.present && device.driverKey &&
        device.driverKey->count("InfPath") && device.driverKey->at("InfPath") == used)
      return Fail(ERROR_INF_IN_USE_BY_DEVICES, FALSE);
  }
  packages.erase(found);
  return Succeed(TRUE);
}

BOOL WINAPI UpdateDriverForPlugAndPlayDevicesA(HWND parent, LPCSTR hardwareId, LPCSTR fullInfPath,
                                               DWORD installFlags, PBOOL rebootRequired) {
  ApiCall call("UpdateDriverForPlugAndPlayDevicesA",
               {{"parent", Handle(parent)},
                {"hardwareId", Text(hardwareId)},
                {"fullInfPath", Text(fullInfPath)},
                {"installFlags", Hex(installFlags)},
                {"rebootRequired", Given(rebootRequired != nullptr)}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  if (!hardwareId || !*hardwareId || !fullInfPath) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (installFlags & ~DWORD{INSTALLFLAG_FORCE | INSTALLFLAG_READONLY | INSTALLFLAG_NONINTERACTIVE})
    return Fail(ERROR_INVALID_FLAGS, FALSE);
  if (!FileExists(fullInfPath)) return Fail(ERROR_FILE_NOT_FOUND, FALSE);
  bool matched = false;
  for (auto& [id, device] : TheDevices().devices) {
    if (!device.registered || !device.present) continue;
    auto ids = device.properties.find(SPDRP_HARDWAREID);
    if (ids == device.properties.end() || !MultiSzHolds(ids->second.bytes, hardwareId)) continue;
    matched = true;
    if (!device.driverKey) device.driverKey = Values{};
    for (const auto& [name, value] : TheNewdev().package.driverValues)
      (*device.driverKey)[name] = value;
  }
  if (!matched) return Fail(ERROR_NO_SUCH_DEVINST, FALSE);
  // The system keeps the INF as a driver package of its own.
  const auto copy = TheNewdev().package.driverValues.find("InfPath");
  if (copy != TheNewdev().package.driverValues.end() && !copy->second.bytes.empty())
    TheNewdev().packages.insert(
        std::string(copy->second.bytes.begin(), copy->second.bytes.end() - 1));
  if (rebootRequired) *rebootRequired = TheNewdev().package.rebootRequired ? TRUE : FALSE;
  return Succeed(TRUE);
}
