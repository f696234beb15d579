#include "step_result.h"

#include <iterator>

#include "report_failure.h"

namespace {

// In the order of Step. A failed read of a driver-key value reports as a failed write did in the
// library's first release; callers match on these texts, so they stay as they are.
constexpr const char* kPrefixes[] = {
    "COM port",                                            // kCheckPort
    ".inf not found.",                                     // kFindInf
    "GetClassDevs(All Present Devices)",                   // kGetPresentDevices
    "GetDeviceRegistryProperty",                           // kReadHardwareIds
    "EnumDeviceInfo",                                      // kEnumDevices
    "Register Device 1\n",                                 // kRegister
    "Can not open DriverKey: ",                            // kOpenDriverKey
    "SetupDi Open+Create DevRegKey failed: ",              // kCreateDriverKey
    "RegSetValueEx :",                                     // kSetValue
    "RegSetValueEx :",                                     // kQueryValue
    "GetINFClass",                                         // kGetInfClass
    "CreateDeviceInfoList",                                // kCreateSet
    "CreateDeviceInfo",                                    // kCreateElement
    "SetDeviceRegistryProperty",                           // kSetHardwareId
    "unable to load newdev.dll",                           // kLoadNewdev
    "GetProcAddress(UpdateDriverForPlugAndPlayDevicesA)",  // kFindDriverUpdate
    "UpdateDriverForPlugAndPlayDevices",                   // kUpdateDriver
};
static_assert(std::size(kPrefixes) == static_cast<size_t>(Step::kCount),
              "every step has one prefix");

// The fixed text g_szError starts with when `step` fails.
const char* FailurePrefix(Step step) {
  return kPrefixes[static_cast<size_t>(step)];
}

}  // namespace

StepResult StepResult::Failed(Step step) {
  ReportFailure(FailurePrefix(step));  // keeps the code
  return StepResult(false);
}

StepResult StepResult::Failed(Step step, LONG code) {
  SetLastError(static_cast<DWORD>(code));
  return Failed(step);
}
