// SetupAPI over the simulated device tree. As on Windows, a failing call sets the last-error code
// and a successful one sets it to 0.
#include <cctype>
#include <cstdio>
#include <cstring>
#include <string>

#include "devices.h"
#include "files.h"
#include "newdev.h"
#include "registry.h"

using namespace winsim;
using namespace winsim::detail;

namespace {

DeviceSet* FindSet(HDEVINFO set) {
  auto found = TheDevices().sets.find(Token(set));
  return found == TheDevices().sets.end() ? nullptr : &found->second;
}

void Fill(PSP_DEVINFO_DATA data, const Device& device) {
  data->ClassGuid = device.classGuid;
  data->DevInst = device.id;
  data->Reserved = device.id;
}

// The device an element of `set` stands for, or the code the call fails with.
Device* FindElement(HDEVINFO set, PSP_DEVINFO_DATA data, DWORD& code) {
  DeviceSet* devices = FindSet(set);
  if (!devices) {
    code = ERROR_INVALID_HANDLE;
    return nullptr;
  }
  if (!data || data->cbSize != sizeof(SP_DEVINFO_DATA)) {
    code = ERROR_INVALID_PARAMETER;
    return nullptr;
  }
  const DeviceId id = static_cast<DeviceId>(data->Reserved);
  bool member = false;
  for (DeviceId element : devices->elements) member = member || element == id;
  if (!member) {
    code = ERROR_INVALID_PARAMETER;
    return nullptr;
  }
  auto device = TheDevices().devices.find(id);
  if (device == TheDevices().devices.end()) {
    code = ERROR_NO_SUCH_DEVINST;
    return nullptr;
  }
  return &device->second;
}

// The device whose key a call asks for, or the code the call fails with.
Device* FindKeyOwner(HDEVINFO set, PSP_DEVINFO_DATA data, DWORD scope, DWORD keyType, DWORD& code) {
  Device* device = FindElement(set, data, code);
  if (device && ((scope != DICS_FLAG_GLOBAL && scope != DICS_FLAG_CONFIGSPECIFIC) ||
                 (keyType != DIREG_DEV && keyType != DIREG_DRV))) {
    code = ERROR_INVALID_FLAGS;
    return nullptr;
  }
  return device;
}

const HKEY kInvalidKey = reinterpret_cast<HKEY>(INVALID_HANDLE_VALUE);

std::string Trim(std::string text) {
  const char* blanks = " \t\r\n";
  const size_t first = text.find_first_not_of(blanks);
  if (first == std::string::npos) return "";
  const size_t last = text.find_last_not_of(blanks);
  text = text.substr(first, last - first + 1);
  if (text.size() >= 2 && text.front() == '"' && text.back() == '"')
    text = text.substr(1, text.size() - 2);
  return text;
}

bool ParseGuid(const std::string& text, GUID& guid) {
  unsigned d1 = 0;
  unsigned d2 = 0;
  unsigned d3 = 0;
  unsigned b[8] = {};
  // Every field's width bounds its value, so no conversion can overflow unreported.
  // NOLINTNEXTLINE(cert-err34-c)
  if (std::sscanf(text.c_str(), "{%8x-%4x-%4x-%2x%2x-%2x%2x%2x%2x%2x%2x}", &d1, &d2, &d3, &b[0],
                  &b[1], &b[2], &b[3], &b[4], &b[5], &b[6], &b[7]) != 11)
    return false;
  guid.Data1 = d1;
  guid.Data2 = static_cast<uint16_t>(d2);
  guid.Data3 = static_cast<uint16_t>(d3);
  for (int i = 0; i < 8; ++i) guid.Data4[i] = static_cast<uint8_t>(b[i]);
  return true;
}

// "Class" and "ClassGUID" of an INF's [Version] section.
bool ReadInfClass(const std::string& inf, std::string& className, GUID& classGuid) {
  bool inVersion = false, haveGuid = false;
  size_t at = 0;
  while (at < inf.size()) {
    size_t end = inf.find('\n', at);
    if (end == std::string::npos) end = inf.size();
    std::string line = inf.substr(at, end - at);
    at = end + 1;
    const size_t comment = line.find(';');
    if (comment != std::string::npos) line.resize(comment);
    line = Trim(line);
    if (line.empty()) continue;
    if (line.front() == '[') {
      inVersion = EqualNoCase(line, "[Version]");
      continue;
    }
    const size_t equals = line.find('=');
    if (!inVersion || equals == std::string::npos) continue;
    const std::string key = Trim(line.substr(0, equals));
    const std::string value = Trim(line.substr(equals + 1));
    if (EqualNoCase(key, "Class")) className = value;
    if (EqualNoCase(key, "ClassGUID")) haveGuid = ParseGuid(value, classGuid);
  }
  return haveGuid && !className.empty();
}

}  // namespace

HDEVINFO WINAPI SetupDiGetClassDevsA(const GUID* classGuid, PCSTR enumerator, HWND parent,
                                     DWORD flags) {
  ApiCall call("SetupDiGetClassDevsA", {{"classGuid", Guid(classGuid)},
                                        {"enumerator", Text(enumerator)},
                                        {"parent", Handle(parent)},
                                        {"flags", Hex(flags)}});
  if (call.fault()) return Fail(call.fault(), HDEVINFO{INVALID_HANDLE_VALUE});
  const bool allClasses = (flags & DIGCF_ALLCLASSES) != 0;
  if (!allClasses && !classGuid)
    return Fail(ERROR_INVALID_PARAMETER, HDEVINFO{INVALID_HANDLE_VALUE});
  DeviceSet set;
  set.hasClass = !allClasses;
  if (set.hasClass) set.classGuid = *classGuid;
  for (const auto& [id, device] : TheDevices().devices) {
    if (!device.registered) continue;
    if ((flags & DIGCF_PRESENT) && !device.present) continue;
    if (set.hasClass && device.classGuid != set.classGuid) continue;
    set.elements.push_back(id);
  }
  const uintptr_t token = NewHandle();
  TheDevices().sets[token] = set;
  return Succeed(reinterpret_cast<HDEVINFO>(token));
}

HDEVINFO WINAPI SetupDiCreateDeviceInfoList(const GUID* classGuid, HWND parent) {
  ApiCall call("SetupDiCreateDeviceInfoList",
               {{"classGuid", Guid(classGuid)}, {"parent", Handle(parent)}});
  if (call.fault()) return Fail(call.fault(), HDEVINFO{INVALID_HANDLE_VALUE});
  DeviceSet set;
  set.hasClass = classGuid != nullptr;
  if (classGuid) set.classGuid = *classGuid;
  const uintptr_t token = NewHandle();
  TheDevices().sets[token] = set;
  return Succeed(reinterpret_cast<HDEVINFO>(token));
}

BOOL WINAPI SetupDiDestroyDeviceInfoList(HDEVINFO set) {
  ApiCall call("SetupDiDestroyDeviceInfoList", {{"set", Handle(set)}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  DeviceState& m = TheDevices();
  auto found = m.sets.find(Token(set));
  if (found == m.sets.end()) return Fail(ERROR_INVALID_HANDLE, FALSE);
  for (DeviceId id : found->second.created) {
    auto device = m.devices.find(id);
    if (device != m.devices.end() && !device->second.registered) m.devices.erase(device);
  }
  m.sets.erase(found);
  return Succeed(TRUE);
}

BOOL WINAPI SetupDiEnumDeviceInfo(HDEVINFO set, DWORD index, PSP_DEVINFO_DATA data) {
  ApiCall call("SetupDiEnumDeviceInfo", {{"set", Handle(set)},
                                         {"index", Dec(index)},
                                         {"cbSize", data ? Dec(data->cbSize) : Absent()}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  DeviceSet* devices = FindSet(set);
  if (!devices) return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (!data || data->cbSize != sizeof(SP_DEVINFO_DATA))
    return Fail(ERROR_INVALID_USER_BUFFER, FALSE);
  if (index >= devices->elements.size()) return Fail(ERROR_NO_MORE_ITEMS, FALSE);
  const DeviceId id = devices->elements[index];
  auto device = TheDevices().devices.find(id);
  if (device == TheDevices().devices.end()) {
    // A device removed while the set was open keeps its place in the set, as on Windows.
    data->DevInst = id;
    data->Reserved = id;
  } else {
    Fill(data, device->second);
  }
  return Succeed(TRUE);
}

BOOL WINAPI SetupDiCreateDeviceInfoA(HDEVINFO set, PCSTR deviceName, const GUID* classGuid,
                                     PCSTR description, HWND parent, DWORD flags,
                                     PSP_DEVINFO_DATA data) {
  ApiCall call("SetupDiCreateDeviceInfoA", {{"set", Handle(set)},
                                            {"deviceName", Text(deviceName)},
                                            {"classGuid", Guid(classGuid)},
                                            {"description", Text(description)},
                                            {"parent", Handle(parent)},
                                            {"flags", Hex(flags)}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  DeviceSet* devices = FindSet(set);
  if (!devices) return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (!deviceName || !*deviceName || !classGuid) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (flags & ~DWORD{DICD_GENERATE_ID | DICD_INHERIT_CLASSDRVS})
    return Fail(ERROR_INVALID_FLAGS, FALSE);
  if (devices->hasClass && devices->classGuid != *classGuid)
    return Fail(ERROR_CLASS_MISMATCH, FALSE);
  if (data && data->cbSize != sizeof(SP_DEVINFO_DATA))
    return Fail(ERROR_INVALID_USER_BUFFER, FALSE);

  DeviceState& m = TheDevices();
  std::string instanceId;
  if (flags & DICD_GENERATE_ID) {
    if (std::strchr(deviceName, '\\')) return Fail(ERROR_INVALID_PARAMETER, FALSE);
    std::string name(deviceName);
    for (char& c : name) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    for (unsigned n = 0;; ++n) {
      char id[32];
      (void)std::snprintf(id, sizeof id, "\\%04u", n);
      instanceId = "ROOT\\" + name + id;
      bool taken = false;
      for (const auto& [key, device] : m.devices)
        taken = taken || EqualNoCase(device.instanceId, instanceId);
      if (!taken) break;
    }
  } else {
    instanceId = deviceName;
    for (const auto& [key, device] : m.devices)
      if (EqualNoCase(device.instanceId, instanceId))
        return Fail(ERROR_DEVINST_ALREADY_EXISTS, FALSE);
  }

  Device device;
  device.id = m.nextDevice++;
  device.instanceId = instanceId;
  device.classGuid = *classGuid;
  device.present = false;
  device.registered = false;
  m.devices[device.id] = device;
  devices->elements.push_back(device.id);
  devices->created.push_back(device.id);
  if (data) Fill(data, device);
  return Succeed(TRUE);
}

BOOL WINAPI SetupDiRegisterDeviceInfo(HDEVINFO set, PSP_DEVINFO_DATA data, DWORD flags,
                                      PSP_DETSIG_CMPPROC compare, PVOID context,
                                      PSP_DEVINFO_DATA duplicate) {
  ApiCall call("SetupDiRegisterDeviceInfo", {{"set", Handle(set)},
                                             {"flags", Hex(flags)},
                                             {"compare", Given(compare != nullptr)},
                                             {"context", Handle(context)},
                                             {"duplicate", Handle(duplicate)}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  DWORD code = 0;
  Device* device = FindElement(set, data, code);
  if (!device) return Fail(code, FALSE);
  if (flags & ~DWORD{1}) return Fail(ERROR_INVALID_FLAGS, FALSE);
  // A registered element is left as it is; a new one becomes a present, root-enumerated device.
  if (!device->registered) {
    device->registered = true;
    device->present = true;
  }
  return Succeed(TRUE);
}

BOOL WINAPI SetupDiCallClassInstaller(DI_FUNCTION function, HDEVINFO set, PSP_DEVINFO_DATA data) {
  ApiCall call("SetupDiCallClassInstaller", {{"function", Hex(function)}, {"set", Handle(set)}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  // The kit asks the class installer for one thing only: to remove a device it made.
  if (function != DIF_REMOVE) return Fail(ERROR_DI_DO_DEFAULT, FALSE);
  DWORD code = 0;
  Device* device = FindElement(set, data, code);
  if (!device) return Fail(code, FALSE);
  if (!device->registered) return Fail(ERROR_NO_SUCH_DEVINST, FALSE);
  TheDevices().devices.erase(device->id);
  return Succeed(TRUE);
}

BOOL WINAPI SetupDiGetDeviceInstallParamsA(HDEVINFO set, PSP_DEVINFO_DATA data,
                                           SP_DEVINSTALL_PARAMS_A* params) {
  ApiCall call("SetupDiGetDeviceInstallParamsA", {{"set", Handle(set)}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  if (!params || params->cbSize != sizeof *params) return Fail(ERROR_INVALID_USER_BUFFER, FALSE);
  DWORD code = 0;
  if (data && !FindElement(set, data, code) && code != ERROR_NO_SUCH_DEVINST)
    return Fail(code, FALSE);
  // Asked after a removal, the element is gone from the machine but not from the set.
  params->Flags = TheNewdev().package.removalFlags;
  return Succeed(TRUE);
}

BOOL WINAPI SetupDiGetDeviceRegistryPropertyA(HDEVINFO set, PSP_DEVINFO_DATA data, DWORD property,
                                              PDWORD type, PBYTE buffer, DWORD size,
                                              PDWORD requiredSize) {
  ApiCall call("SetupDiGetDeviceRegistryPropertyA",
               {{"set", Handle(set)},
                {"property", Dec(property)},
                {"type", Given(type != nullptr)},
                {"buffer", Handle(buffer)},
                {"size", Dec(size)},
                {"requiredSize", Given(requiredSize != nullptr)}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  DWORD code = 0;
  Device* device = FindElement(set, data, code);
  if (!device) return Fail(code, FALSE);
  if (!buffer && size) return Fail(ERROR_INVALID_USER_BUFFER, FALSE);
  auto found = device->properties.find(property);
  if (found == device->properties.end()) return Fail(ERROR_INVALID_DATA, FALSE);
  const Value& value = found->second;
  const DWORD needed = static_cast<DWORD>(value.bytes.size());
  if (requiredSize) *requiredSize = needed + call.extra();
  if (type) *type = value.type;
  if (size < needed) return Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
  if (needed) std::memcpy(buffer, value.bytes.data(), needed);
  return Succeed(TRUE);
}

BOOL WINAPI SetupDiSetDeviceRegistryPropertyA(HDEVINFO set, PSP_DEVINFO_DATA data, DWORD property,
                                              const BYTE* buffer, DWORD size) {
  ApiCall call("SetupDiSetDeviceRegistryPropertyA", {{"set", Handle(set)},
                                                     {"property", Dec(property)},
                                                     {"buffer", Handle(buffer)},
                                                     {"size", Dec(size)}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  DWORD code = 0;
  Device* device = FindElement(set, data, code);
  if (!device) return Fail(code, FALSE);
  DWORD type = REG_NONE;
  switch (property) {
    case SPDRP_HARDWAREID:
    case SPDRP_COMPATIBLEIDS:
      type = REG_MULTI_SZ;
      break;
    case SPDRP_DEVICEDESC:
    case SPDRP_FRIENDLYNAME:
      type = REG_SZ;
      break;
    default:
      return Fail(ERROR_INVALID_REG_PROPERTY, FALSE);
  }
  if (!buffer && size) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  if (!buffer) {
    device->properties.erase(property);
  } else {
    device->properties[property] = Value{type, std::vector<BYTE>(buffer, buffer + size)};
  }
  return Succeed(TRUE);
}

BOOL WINAPI SetupDiGetDeviceInstanceIdA(HDEVINFO set, PSP_DEVINFO_DATA data, PSTR deviceInstanceId,
                                        DWORD deviceInstanceIdSize, PDWORD requiredSize) {
  ApiCall call("SetupDiGetDeviceInstanceIdA", {{"set", Handle(set)},
                                               {"size", Dec(deviceInstanceIdSize)},
                                               {"requiredSize", Given(requiredSize != nullptr)}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  DWORD code = 0;
  Device* device = FindElement(set, data, code);
  if (!device) return Fail(code, FALSE);
  if (!deviceInstanceId && deviceInstanceIdSize) return Fail(ERROR_INVALID_USER_BUFFER, FALSE);
  const DWORD needed = static_cast<DWORD>(device->instanceId.size() + 1);
  if (requiredSize) *requiredSize = needed;
  if (!deviceInstanceId || deviceInstanceIdSize < needed)
    return Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
  std::memcpy(deviceInstanceId, device->instanceId.c_str(), needed);
  return Succeed(TRUE);
}

BOOL WINAPI SetupDiGetINFClassA(PCSTR infName, LPGUID classGuid, PSTR className,
                                DWORD classNameSize, PDWORD requiredSize) {
  ApiCall call("SetupDiGetINFClassA", {{"infName", Text(infName)},
                                       {"classNameSize", Dec(classNameSize)},
                                       {"requiredSize", Given(requiredSize != nullptr)}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  if (!infName || !classGuid || !className) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  std::string inf;
  if (!ReadHostFile(HostPath(infName), inf)) return Fail(ERROR_FILE_NOT_FOUND, FALSE);
  std::string name;
  GUID guid{};
  if (!ReadInfClass(inf, name, guid)) return Fail(ERROR_INVALID_CLASS, FALSE);
  const DWORD needed = static_cast<DWORD>(name.size() + 1);
  if (requiredSize) *requiredSize = needed;
  if (classNameSize < needed) return Fail(ERROR_INSUFFICIENT_BUFFER, FALSE);
  std::memcpy(className, name.c_str(), needed);
  *classGuid = guid;
  return Succeed(TRUE);
}

HKEY WINAPI SetupDiOpenDevRegKey(HDEVINFO set, PSP_DEVINFO_DATA data, DWORD scope, DWORD hwProfile,
                                 DWORD keyType, REGSAM access) {
  ApiCall call("SetupDiOpenDevRegKey", {{"set", Handle(set)},
                                        {"scope", Hex(scope)},
                                        {"hwProfile", Dec(hwProfile)},
                                        {"keyType", Hex(keyType)},
                                        {"access", Hex(access)}});
  if (call.fault()) return Fail(call.fault(), kInvalidKey);
  DWORD code = 0;
  Device* device = FindKeyOwner(set, data, scope, keyType, code);
  if (!device) return Fail(code, kInvalidKey);
  const std::optional<Values>& key = keyType == DIREG_DRV ? device->driverKey : device->deviceKey;
  if (!key) return Fail(ERROR_KEY_DOES_NOT_EXIST, kInvalidKey);
  const REGSAM writeAccess = KEY_SET_VALUE | KEY_CREATE_SUB_KEY | KEY_CREATE_LINK;
  if (keyType == DIREG_DRV && device->driverKeyReadOnly && (access & writeAccess))
    return Fail(ERROR_ACCESS_DENIED, kInvalidKey);
  return Succeed(NewKeyHandle(device->id, keyType, access));
}

HKEY WINAPI SetupDiCreateDevRegKeyA(HDEVINFO set, PSP_DEVINFO_DATA data, DWORD scope,
                                    DWORD hwProfile, DWORD keyType, HINF infHandle,
                                    PCSTR installSection) {
  ApiCall call("SetupDiCreateDevRegKeyA", {{"set", Handle(set)},
                                           {"scope", Hex(scope)},
                                           {"hwProfile", Dec(hwProfile)},
                                           {"keyType", Hex(keyType)},
                                           {"infHandle", Handle(infHandle)},
                                           {"installSection", Text(installSection)}});
  if (call.fault()) return Fail(call.fault(), kInvalidKey);
  DWORD code = 0;
  Device* device = FindKeyOwner(set, data, scope, keyType, code);
  if (!device) return Fail(code, kInvalidKey);
  // The key lives with the device node, which exists only once the element is registered.
  if (!device->registered) return Fail(ERROR_NO_SUCH_DEVINST, kInvalidKey);
  if (keyType == DIREG_DRV && device->driverKeyReadOnly)
    return Fail(ERROR_ACCESS_DENIED, kInvalidKey);
  std::optional<Values>& key = keyType == DIREG_DRV ? device->driverKey : device->deviceKey;
  if (!key) key = Values{};
  return Succeed(NewKeyHandle(device->id, keyType, KEY_ALL_ACCESS));
}
