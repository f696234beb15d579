// Registry values of device keys and of the current user's keys. Registry functions return their
// code and, unlike SetupAPI, never touch the thread's last-error code.
#include <cstring>

#include "devices.h"
#include "registry.h"

using namespace winsim;
using namespace winsim::detail;

namespace {

// The values behind an open key, or the code a call on it gets.
Values* OpenKey(HKEY key, REGSAM needed, LONG& code) {
  RegistryState& m = TheRegistry();
  auto handle = m.keys.find(Token(key));
  if (handle == m.keys.end()) {
    code = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  if (!handle->second.userKey.empty()) {
    auto user = m.userKeys.find(handle->second.userKey);
    if (user == m.userKeys.end()) {
      code = ERROR_KEY_DELETED;
      return nullptr;
    }
    if ((handle->second.access & needed) != needed) {
      code = ERROR_ACCESS_DENIED;
      return nullptr;
    }
    return &user->second;
  }
  std::optional<Values>* values = DeviceKey(handle->second.device, handle->second.keyType);
  if (!values || !*values) {
    code = ERROR_KEY_DELETED;
    return nullptr;
  }
  if ((handle->second.access & needed) != needed) {
    code = ERROR_ACCESS_DENIED;
    return nullptr;
  }
  return &**values;
}

}  // namespace

LONG WINAPI RegQueryValueExA(HKEY key, LPCSTR valueName, LPDWORD reserved, LPDWORD type,
                             LPBYTE data, LPDWORD dataSize) {
  ApiCall call("RegQueryValueExA", {{"key", Handle(key)},
                                    {"valueName", Text(valueName)},
                                    {"type", type ? Dec(*type) : Absent()},
                                    {"data", Handle(data)},
                                    {"dataSize", dataSize ? Dec(*dataSize) : Absent()}});
  if (call.fault()) return static_cast<LONG>(call.fault());
  if (reserved || (data && !dataSize)) return ERROR_INVALID_PARAMETER;
  LONG code = ERROR_SUCCESS;
  Values* values = OpenKey(key, KEY_QUERY_VALUE, code);
  if (!values) return code;
  auto found = values->find(valueName ? valueName : "");
  if (found == values->end()) return ERROR_FILE_NOT_FOUND;
  const Value& value = found->second;
  if (type) *type = value.type;
  const DWORD needed = static_cast<DWORD>(value.bytes.size());
  if (!dataSize) return ERROR_SUCCESS;
  if (data && *dataSize < needed) {
    *dataSize = needed;
    return ERROR_MORE_DATA;
  }
  if (data && needed) std::memcpy(data, value.bytes.data(), needed);
  *dataSize = needed;
  return ERROR_SUCCESS;
}

LONG WINAPI RegSetValueExA(HKEY key, LPCSTR valueName, DWORD reserved, DWORD type, const BYTE* data,
                           DWORD dataSize) {
  ApiCall call("RegSetValueExA", {{"key", Handle(key)},
                                  {"valueName", Text(valueName)},
                                  {"reserved", Dec(reserved)},
                                  {"type", Dec(type)},
                                  {"dataSize", Dec(dataSize)}});
  if (call.fault()) return static_cast<LONG>(call.fault());
  if (reserved) return ERROR_INVALID_PARAMETER;
  if (!data && dataSize) return ERROR_NOACCESS;
  LONG code = ERROR_SUCCESS;
  Values* values = OpenKey(key, KEY_SET_VALUE, code);
  if (!values) return code;
  Value& value = (*values)[valueName ? valueName : ""];
  value.type = type;
  value.bytes.assign(data, data + dataSize);
  return ERROR_SUCCESS;
}

LONG WINAPI RegCloseKey(HKEY key) {
  ApiCall call("RegCloseKey", {{"key", Handle(key)}});
  if (call.fault()) return static_cast<LONG>(call.fault());
  if (TheRegistry().keys.erase(Token(key)) == 0) return ERROR_INVALID_HANDLE;
  return ERROR_SUCCESS;
}

LONG WINAPI RegOpenKeyExA(HKEY key, LPCSTR subKey, DWORD options, REGSAM access, HKEY* result) {
  ApiCall call("RegOpenKeyExA", {{"key", Handle(key)},
                                 {"subKey", Text(subKey)},
                                 {"options", Dec(options)},
                                 {"access", Hex(access)}});
  if (result) *result = nullptr;
  if (call.fault()) return static_cast<LONG>(call.fault());
  // The kit opens keys of the current user's registry only, by their full path.
  if (key != HKEY_CURRENT_USER || !subKey || !result) return ERROR_INVALID_PARAMETER;
  RegistryState& m = TheRegistry();
  if (m.userKeys.count(subKey) == 0) return ERROR_FILE_NOT_FOUND;
  const uintptr_t token = NewHandle();
  KeyHandle handle;
  handle.userKey = subKey;
  handle.access = access;
  m.keys[token] = handle;
  *result = reinterpret_cast<HKEY>(token);
  return ERROR_SUCCESS;
}

HKEY winsim::detail::NewKeyHandle(DeviceId device, DWORD keyType, REGSAM access) {
  const uintptr_t token = NewHandle();
  TheRegistry().keys[token] = KeyHandle{"", device, keyType, access};
  return reinterpret_cast<HKEY>(token);
}
