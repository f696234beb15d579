// The tests' hold on the COM ports: a port and its modem put in place, held, and read back.
#include "serial.h"

namespace winsim {

using namespace detail;

void AddSerialPort(std::string_view name, const ScriptedModem& modem) {
  SerialPort port;
  port.modem = modem;
  // Not yet set up for any device: 9600 bit/s, 7 data bits, even parity, and timeouts of its own.
  port.state.DCBlength = sizeof port.state;
  port.state.BaudRate = 9600;
  port.state.fBinary = TRUE;
  port.state.ByteSize = 7;
  port.state.Parity = 2;
  port.timeouts = {50, 10, 500, 10, 500};
  TheSerialPorts().ports[PortKey(name)] = port;
}

void HoldSerialPort(std::string_view name) {
  const auto found = TheSerialPorts().ports.find(PortKey(name));
  if (found != TheSerialPorts().ports.end()) found->second.held = true;
}

SerialPortSeen SerialPortNow(std::string_view name) {
  const auto found = TheSerialPorts().ports.find(PortKey(name));
  if (found == TheSerialPorts().ports.end()) return {};
  const SerialPort& port = found->second;
  return {port.openAs != 0, port.state, port.statesSet, port.timeouts, port.heard};
}

DWORD TickCount() {
  return TheSerialPorts().clock;
}

}  // namespace winsim
