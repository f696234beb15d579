#include <cstring>
#include <string_view>

#include "InfInstall.h"
#include "bounded_text.h"
#include "platform.h"
#include "unique_handle.h"

namespace {

// A port's "PortName" from its hardware key; empty when the key or the value cannot be read.
std::string_view ReadPortName(HDEVINFO set, SP_DEVINFO_DATA& element, char (&name)[256]) {
  DeviceRegKey key(SetupDiOpenDevRegKey(set, &element, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ));
  if (!key) return {};
  DWORD size = sizeof name;
  if (RegQueryValueExA(key.get(), "PortName", nullptr, nullptr, reinterpret_cast<BYTE*>(name),
                       &size) != ERROR_SUCCESS) {
    return {};
  }
  // The registry returns what was stored, which need not end in a NUL: a name that fills all 256
  // bytes without one is longer than a port name can be, and is left out.
  const size_t stored = size < sizeof name ? size : sizeof name;
  const size_t length = strnlen(name, stored);
  if (length == sizeof name) return {};
  return std::string_view(name, length);
}

}  // namespace

int MdmGetPortList(char* portList) {
  DeviceInfoSet ports(SetupDiGetClassDevsA(&kPortsClassGuid, nullptr, nullptr, DIGCF_PRESENT));
  if (!ports) return 0;

  // The caller's buffer holds 260 bytes, including whatever text it held on entry. A name that
  // would not fit with its separator is left out; a shorter one after it may still fit.
  BoundedText list(portList, kTextCapacity);
  bool appended = false;
  SP_DEVINFO_DATA element = {};
  element.cbSize = sizeof element;
  for (DWORD index = 0; SetupDiEnumDeviceInfo(ports.get(), index, &element); ++index) {
    char name[256] = {};
    const std::string_view portName = ReadPortName(ports.get(), element, name);
    if (portName.find("COM") == std::string_view::npos) continue;
    if (list.AppendWhole({portName, ","})) appended = true;
  }
  return appended ? 1 : 0;
}
