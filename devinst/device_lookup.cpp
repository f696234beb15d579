#include "device_lookup.h"

#include "InfInstall.h"
#include "driver_key.h"
#include "hardware_id.h"
#include "unique_handle.h"

namespace {

// Looks at the devices of `set` in order until one's hardware-ID list holds the ID, the platform
// runs out of devices, or a device cannot be read.
DeviceSearch SearchDevices(const char* hardwareId, HDEVINFO set, SP_DEVINFO_DATA& element) {
  element.cbSize = sizeof element;
  DeviceSearch outcome = DeviceSearch::kIncomplete;
  for (DWORD index = 0;; ++index) {
    if (!SetupDiEnumDeviceInfo(set, index, &element)) {
      // Any other reason to stop leaves devices unseen, one of which may be the one looked for.
      if (GetLastError() == ERROR_NO_MORE_ITEMS) outcome = DeviceSearch::kNoneFound;
      break;
    }
    LocalMemory list;
    DWORD size = 0;
    const ListRead read = ReadHardwareIds(set, element, list, size);
    if (read == ListRead::kFailed) {
      StepResult::Failed(Step::kReadHardwareIds);
      break;  // the devices after this one are not examined
    }
    if (read == ListRead::kRead &&
        HardwareIdListHolds(static_cast<const char*>(list.get()), size, hardwareId)) {
      // A match leaves the code at 0 and the text alone. Some platforms (Wine among them) leave
      // the code of the list's first, sizing read behind a successful second one, so a match is
      // not judged by it.
      SetLastError(ERROR_SUCCESS);
      return DeviceSearch::kFound;
    }
  }
  // The enumeration ends with ERROR_NO_MORE_ITEMS and a failed read keeps its own code, so every
  // search without a match leaves a text.
  if (GetLastError() != ERROR_SUCCESS) StepResult::Failed(Step::kEnumDevices);
  return outcome;
}

}  // namespace

int MdmFindExistingDevice(const char* hardwareId, HDEVINFO& deviceInfoSet,
                          SP_DEVINFO_DATA& deviceInfoData) {
  return SearchDevices(hardwareId, deviceInfoSet, deviceInfoData) == DeviceSearch::kFound ? 1 : 0;
}

DeviceWrite FindDeviceAndWriteValue(const char* hardwareId, const char* valueName,
                                    const char* valueData) {
  DeviceInfoSet present(
      SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES));
  if (!present) {
    return {DeviceSearch::kIncomplete, StepResult::Failed(Step::kGetPresentDevices)};
  }
  // Releasing the set at the end keeps the code the search and the write left.
  SP_DEVINFO_DATA element = {};
  const DeviceSearch search = SearchDevices(hardwareId, present.get(), element);
  if (search != DeviceSearch::kFound) return {search, StepResult::Done()};
  return {search, WriteDriverKeyValue(present.get(), element, valueName, valueData)};
}

int MdmFindDevAndUpdateReg(const char* hardwareId, const char* valueName, const char* valueData) {
  // A found device counts, whether or not its value could be written: the write's failure shows
  // in g_szError and in the last-error code.
  return FindDeviceAndWriteValue(hardwareId, valueName, valueData).search == DeviceSearch::kFound
             ? 1
             : 0;
}
