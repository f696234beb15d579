// COM ports and the modems at their far end. A port is opened by its device path "\\.\COMn"; its
// modem answers each command line it is sent by a script. Time passes only while a read or Sleep
// waits: the clock GetTickCount reads moves on by what the wait took, so a test of time limits runs
// at once and always alike.
#pragma once

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "winsim/win32.h"

namespace winsim {

// Part of what a modem sends: its bytes, `afterMs` after the part before it, or after the
// command for the first.
struct ModemPart {
  std::string bytes;
  DWORD afterMs = 0;
};

struct ScriptedModem {
  bool echo = true;  // each command line comes back first, with its CR
  // What the modem sends for each command line, by the line without its CR.
  std::map<std::string, std::vector<ModemPart>> answers;
  std::vector<ModemPart> otherwise = {{"\r\nERROR\r\n"}};  // for a line the script lacks
  bool silent = false;                                     // takes every byte and sends none
  std::string endless;  // when set, sent over and over, from the first command on
};

// A port with `modem` at its far end, set at first as a port Windows has not yet set up.
void AddSerialPort(std::string_view name, const ScriptedModem& modem);
// Another program holds the port open, until Reset.
void HoldSerialPort(std::string_view name);

struct SerialPortSeen {
  bool open = false;
  DCB state{};
  std::vector<DCB> statesSet;  // each state SetCommState took, in turn
  COMMTIMEOUTS timeouts{};
  std::string heard;  // every byte the port was sent
};
SerialPortSeen SerialPortNow(std::string_view name);

// The clock as GetTickCount reads it; after Reset it is a minute short of its wrap.
DWORD TickCount();

}  // namespace winsim
