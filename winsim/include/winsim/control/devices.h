// The device tree SetupAPI enumerates: devices, their properties and their two keys.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "winsim/control/values.h"
#include "winsim/win32.h"

namespace winsim {

// {4D36E978-E325-11CE-BFC1-08002BE10318} and {4D36E96D-E325-11CE-BFC1-08002BE10318}.
extern const GUID kPortsClass;
extern const GUID kModemClass;

using DeviceId = DWORD;

struct DeviceSpec {
  GUID classGuid = kPortsClass;
  std::string className = "Ports";
  // Raw REG_MULTI_SZ bytes of SPDRP_HARDWAREID; none when the device has no list.
  std::optional<std::vector<BYTE>> hardwareIds;
  // The hardware key (DIREG_DEV) and the driver key (DIREG_DRV); none when the key does not exist.
  std::optional<Values> deviceKey;
  std::optional<Values> driverKey;
  bool present = true;
};

struct Device {
  DeviceId id = 0;
  std::string instanceId;
  GUID classGuid{};
  std::string className;
  bool present = true;
  bool registered = true;
  std::map<DWORD, Value> properties;  // SPDRP_* codes
  std::optional<Values> deviceKey;
  std::optional<Values> driverKey;
  bool driverKeyReadOnly =
      false;  // opening it for writing is refused, as for a user who is no admin
};

DeviceId AddDevice(const DeviceSpec& wanted);
// A Ports-class device whose hardware key holds "PortName" (none when `portName` is empty).
DeviceId AddComPort(std::string_view portName, bool present = true);
void SetDriverKeyReadOnly(DeviceId id, bool readOnly);
// Every device the machine holds, registered ones only, in enumeration order.
std::vector<const Device*> Devices();
const Device* FindDevice(DeviceId id);

// Whether a successful SetupAPI or newdev call leaves the last-error code as it was, as Wine's do,
// instead of setting it to 0 as Windows' do. Off after Reset.
void LeaveLastErrorAfterSuccess(bool leave);

}  // namespace winsim
