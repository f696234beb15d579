#include "driver_key.h"

#include <cstring>

#include "InfInstall.h"

StepResult RegisterDevice(HDEVINFO set, SP_DEVINFO_DATA& element) {
  if (!SetupDiRegisterDeviceInfo(set, &element, 0, nullptr, nullptr, nullptr))
    return StepResult::Failed(Step::kRegister);
  return StepResult::Done();
}

StepResult CreateDriverKey(HDEVINFO set, SP_DEVINFO_DATA& element, DeviceRegKey& key) {
  key.Reset(
      SetupDiCreateDevRegKeyA(set, &element, DICS_FLAG_GLOBAL, 0, DIREG_DRV, nullptr, nullptr));
  return key ? StepResult::Done() : StepResult::Failed(Step::kCreateDriverKey);
}

StepResult OpenDriverKey(HDEVINFO set, SP_DEVINFO_DATA& element, DeviceRegKey& key) {
  key.Reset(SetupDiOpenDevRegKey(set, &element, DICS_FLAG_GLOBAL, 0, DIREG_DRV, KEY_ALL_ACCESS));
  return key ? StepResult::Done() : StepResult::Failed(Step::kOpenDriverKey);
}

StepResult SetValue(HKEY key, const char* valueName, const char* valueData) {
  const DWORD length = static_cast<DWORD>(std::strlen(valueData) + 1);
  const LONG code =
      RegSetValueExA(key, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(valueData), length);
  return code == ERROR_SUCCESS ? StepResult::Done() : StepResult::Failed(Step::kSetValue, code);
}

StepResult QueryValue(HKEY key, const char* valueName, char* buffer, size_t capacity) {
  // Read into a copy: after a failed read the registry leaves the buffer undefined, and the
  // caller's text must stay whole. The kit's texts never exceed its 260-byte buffers.
  char value[kTextCapacity] = {};
  if (capacity > sizeof value) capacity = sizeof value;
  DWORD type = REG_SZ;
  DWORD size = static_cast<DWORD>(capacity);
  const LONG code =
      RegQueryValueExA(key, valueName, nullptr, &type, reinterpret_cast<BYTE*>(value), &size);
  if (code != ERROR_SUCCESS) return StepResult::Failed(Step::kQueryValue, code);
  // Nothing fits in no room. The value was read, but the caller holds none of it.
  if (capacity == 0) return StepResult::Failed(Step::kQueryValue, ERROR_INSUFFICIENT_BUFFER);
  // A value stored without its NUL is cut to leave room for one.
  const size_t bound = size < capacity - 1 ? size : capacity - 1;
  const size_t length = strnlen(value, bound);
  std::memcpy(buffer, value, length);
  buffer[length] = '\0';
  return StepResult::Done();
}

StepResult WriteDriverKeyValue(HDEVINFO set, SP_DEVINFO_DATA& element, const char* valueName,
                               const char* valueData) {
  DeviceRegKey key;
  StepResult result = RegisterDevice(set, element);
  if (result) result = OpenDriverKey(set, element, key);
  if (result) result = SetValue(key.get(), valueName, valueData);
  return result;
}

StepResult ReadDriverKeyValue(HDEVINFO set, SP_DEVINFO_DATA& element, const char* valueName,
                              char* buffer, size_t capacity) {
  DeviceRegKey key;
  StepResult result = OpenDriverKey(set, element, key);
  if (result) result = QueryValue(key.get(), valueName, buffer, capacity);
  return result;
}
