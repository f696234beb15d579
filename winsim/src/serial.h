// The COM ports: what each port's modem has yet to send, and the clock their waits move on.
#pragma once

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "core.h"
#include "winsim/control/serial.h"

namespace winsim::detail {

struct SerialPort {
  ScriptedModem modem;
  bool held = false;
  uintptr_t openAs = 0;  // the handle it is open by, 0 while closed
  DCB state{};
  std::vector<DCB> statesSet;
  COMMTIMEOUTS timeouts{};
  std::string heard;
  std::string line;  // the command line the modem is taking
  struct Due {
    DWORD at = 0;  // on the clock
    std::string bytes;
  };
  std::deque<Due> toSend;
  bool streaming = false;  // the endless output has begun
  size_t streamed = 0;
};

struct SerialState {
  std::map<std::string, SerialPort> ports;  // by name, in upper case
  DWORD clock = 0xFFFFFFFFUL - 60000;

  size_t OpenHandles() const;
  void Reset() { *this = SerialState(); }
};

inline SerialState& TheSerialPorts() {
  return AreaState<SerialState>();
}

// A port's name as the machine keys it: "com5" is COM5.
std::string PortKey(std::string_view name);

// What the file services hand over to the ports: the device path of a port, and a handle one
// was opened by.
bool IsSerialPath(const char* fileName);
HANDLE OpenSerialPort(const char* fileName, DWORD disposition, HANDLE templateFile);
SerialPort* FindSerialPort(HANDLE handle);
BOOL ReadSerialPort(SerialPort& port, void* buffer, DWORD toRead, DWORD* read);
BOOL WriteSerialPort(SerialPort& port, const void* buffer, DWORD toWrite, DWORD* written);

}  // namespace winsim::detail
