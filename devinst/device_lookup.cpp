#include "device_lookup.h"

#include "InfInstall.h"
#include "driver_key.h"
#include "hardware_id.h"
#include "report_failure.h"
#include "unique_handle.h"

namespace {

enum class ListRead { kRead, kNoList, kFailed };

// A device whose list keeps changing size between two reads would otherwise keep the loop going.
constexpr int kMaxReadAttempts = 8;

// Reads the element's hardware-ID list into `buffer`, growing it to the size the platform asks for.
ListRead ReadHardwareIds(HDEVINFO set, SP_DEVINFO_DATA& element, LocalMemory& buffer, DWORD& size) {
  DWORD type = 0;
  DWORD capacity = 0;
  DWORD required = 0;
  for (int attempt = 0; attempt < kMaxReadAttempts; ++attempt) {
    if (SetupDiGetDeviceRegistryPropertyA(set, &element, SPDRP_HARDWAREID, &type,
                                          static_cast<BYTE*>(buffer.get()), capacity, &required)) {
      // The platform reports what it wrote; never trust it beyond what was allocated.
      size = required < capacity ? required : capacity;
      return ListRead::kRead;
    }
    const DWORD code = GetLastError();
    if (code == ERROR_INVALID_DATA) return ListRead::kNoList;
    if (code != ERROR_INSUFFICIENT_BUFFER) break;
    buffer.Reset(LocalAlloc(LPTR, required));
    if (!buffer) {
      if (GetLastError() == ERROR_SUCCESS) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
      break;
    }
    capacity = required;
  }
  ReportFailure("GetDeviceRegistryProperty");
  return ListRead::kFailed;
}

}  // namespace

int MdmFindExistingDevice(const char* hardwareId, HDEVINFO& deviceInfoSet,
                          SP_DEVINFO_DATA& deviceInfoData) {
  deviceInfoData.cbSize = sizeof deviceInfoData;
  bool found = false;
  for (DWORD index = 0; !found && SetupDiEnumDeviceInfo(deviceInfoSet, index, &deviceInfoData);
       ++index) {
    LocalMemory list;
    DWORD size = 0;
    const ListRead read = ReadHardwareIds(deviceInfoSet, deviceInfoData, list, size);
    if (read == ListRead::kFailed) break;  // the devices after this one are not examined
    if (read == ListRead::kRead)
      found = HardwareIdListHolds(static_cast<const char*>(list.get()), size, hardwareId);
  }
  // A match leaves the code at 0 and the text alone. Some platforms (Wine among them) leave the
  // code of the list's first, sizing read behind a successful second one, so a match is not judged
  // by it.
  if (found) {
    SetLastError(ERROR_SUCCESS);
    return 1;
  }
  // The enumeration ends with ERROR_NO_MORE_ITEMS and a failed read keeps its own code, so every
  // search without a match leaves a text.
  if (GetLastError() != ERROR_SUCCESS) ReportFailure("EnumDeviceInfo");
  return 0;
}

bool FindDeviceAndWriteValue(const char* hardwareId, const char* valueName, const char* valueData,
                             bool& valueWritten) {
  valueWritten = false;
  DeviceInfoSet present(
      SetupDiGetClassDevsA(nullptr, nullptr, nullptr, DIGCF_PRESENT | DIGCF_ALLCLASSES));
  if (!present) {
    ReportFailure("GetClassDevs(All Present Devices)");
    return false;
  }
  HDEVINFO set = present.get();
  SP_DEVINFO_DATA element = {};
  if (!MdmFindExistingDevice(hardwareId, set, element)) return false;
  WriteDriverKeyValue(set, element, 0, valueName, valueData, &valueWritten);
  return true;  // releasing the set keeps the code the search and the write left
}

int MdmFindDevAndUpdateReg(const char* hardwareId, const char* valueName, const char* valueData) {
  bool valueWritten = false;
  return FindDeviceAndWriteValue(hardwareId, valueName, valueData, valueWritten) ? 1 : 0;
}
