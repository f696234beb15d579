#include "driver_key.h"

#include <cstring>

#include "InfInstall.h"

#include "report_failure.h"
#include "unique_handle.h"

namespace {

HKEY OpenDriverKey(HDEVINFO set, SP_DEVINFO_DATA& element) {
  return SetupDiOpenDevRegKey(set, &element, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_ALL_ACCESS);
}

// Registry calls return their code instead of setting it; the report reads the thread's code.
void ReportRegistryFailure(LONG code) {
  SetLastError(static_cast<DWORD>(code));
  ReportFailure("RegSetValueEx :");
}

}  // namespace

int WriteDriverKeyValue(HDEVINFO set, SP_DEVINFO_DATA& element, int createKey,
                        const char* valueName, const char* valueData, bool* valueWritten) {
  if (valueWritten) *valueWritten = false;
  if (!SetupDiRegisterDeviceInfo(set, &element, 0, nullptr, nullptr, nullptr)) {
    ReportFailure("Register Device 1\n");
    return 0;
  }
  DeviceRegKey key(createKey ? SetupDiCreateDevRegKeyA(set, &element, DICS_FLAG_GLOBAL, 0,
                                                       DIREG_DRV, nullptr, nullptr)
                             : OpenDriverKey(set, element));
  if (!key) {
    ReportFailure(createKey ? "SetupDi Open+Create DevRegKey failed: "
                            : "Can not open DriverKey: ");
    return 0;
  }
  const DWORD length = static_cast<DWORD>(std::strlen(valueData) + 1);
  const LONG code = RegSetValueExA(key.get(), valueName, 0, REG_SZ,
                                   reinterpret_cast<const BYTE*>(valueData), length);
  if (code != ERROR_SUCCESS) {
    ReportRegistryFailure(code);
  } else if (valueWritten) {
    *valueWritten = true;
  }
  return 1;
}

int ReadDriverKeyValue(HDEVINFO set, SP_DEVINFO_DATA& element, const char* valueName, char* buffer,
                       size_t capacity, bool* valueRead) {
  if (valueRead) *valueRead = false;
  DeviceRegKey key(OpenDriverKey(set, element));
  if (!key) {
    ReportFailure("Can not open DriverKey: ");
    return 0;
  }
  // Read into a copy: after a failed read the registry leaves the buffer undefined, and the
  // caller's text must stay whole. The kit's texts never exceed its 260-byte buffers.
  char value[kTextCapacity] = {};
  if (capacity > sizeof value) capacity = sizeof value;
  DWORD type = REG_SZ;
  DWORD size = static_cast<DWORD>(capacity);
  const LONG code =
      RegQueryValueExA(key.get(), valueName, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  if (code != ERROR_SUCCESS) {
    ReportRegistryFailure(code);
    return 1;
  }
  if (capacity == 0) return 1;
  // A value stored without its NUL is cut to leave room for one.
  const size_t bound = size < capacity - 1 ? size : capacity - 1;
  const size_t length = strnlen(value, bound);
  std::memcpy(buffer, value, length);
  buffer[length] = '\0';
  if (valueRead) *valueRead = true;
  return 1;
}
