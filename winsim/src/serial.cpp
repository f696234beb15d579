// COM ports, as the platform's communications functions present them, with a scripted modem at
// the far end of each. Only the ways of reading a program may use here are modelled: a read that
// gives what has come at once, or waits for the first byte up to a set time; any other makes the
// test stop, as a read the simulation cannot time would otherwise pass for one that can.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "serial.h"

using namespace winsim;
using namespace winsim::detail;

namespace {

constexpr std::string_view kDevicePrefix = "\\\\.\\";

// Whether the clock has reached `at`, across its wrap.
bool Reached(DWORD at, DWORD clock) {
  return static_cast<int32_t>(at - clock) <= 0;
}

// The modem takes one byte; a CR ends the command line and makes it answer.
void Hear(SerialPort& port, char c, DWORD clock) {
  port.heard.push_back(c);
  if (port.modem.silent || c == '\n') return;
  if (c != '\r') {
    port.line.push_back(c);
    return;
  }
  const std::string line = std::move(port.line);
  port.line.clear();
  DWORD at =
      port.toSend.empty() || Reached(port.toSend.back().at, clock) ? clock : port.toSend.back().at;
  if (port.modem.echo) port.toSend.push_back({at, line + "\r"});
  if (!port.modem.endless.empty()) {
    port.streaming = true;
    return;
  }
  const auto found = port.modem.answers.find(line);
  for (const ModemPart& part :
       found != port.modem.answers.end() ? found->second : port.modem.otherwise) {
    at += part.afterMs;
    port.toSend.push_back({at, part.bytes});
  }
}

}  // namespace

namespace winsim::detail {

std::string PortKey(std::string_view name) {
  std::string key(name);
  for (char& c : key)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return key;
}

size_t SerialState::OpenHandles() const {
  size_t open = 0;
  for (const auto& [name, port] : ports) open += port.openAs != 0;
  return open;
}

bool IsSerialPath(const char* fileName) {
  return fileName && std::string_view(fileName).substr(0, kDevicePrefix.size()) == kDevicePrefix;
}

HANDLE OpenSerialPort(const char* fileName, DWORD disposition, HANDLE templateFile) {
  auto found =
      TheSerialPorts().ports.find(PortKey(std::string_view(fileName).substr(kDevicePrefix.size())));
  if (found == TheSerialPorts().ports.end())
    return Fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
  // A communications resource is only opened as it is, without a template.
  if (disposition != OPEN_EXISTING || templateFile)
    return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  // One program at a time, whatever share mode the second asks for.
  SerialPort& port = found->second;
  if (port.held || port.openAs) return Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
  port.openAs = NewHandle();
  return reinterpret_cast<HANDLE>(port.openAs);
}

SerialPort* FindSerialPort(HANDLE handle) {
  for (auto& [name, port] : TheSerialPorts().ports)
    if (port.openAs && port.openAs == Token(handle)) return &port;
  return nullptr;
}

BOOL ReadSerialPort(SerialPort& port, void* buffer, DWORD toRead, DWORD* read) {
  DWORD& clock = TheSerialPorts().clock;
  const COMMTIMEOUTS& t = port.timeouts;
  const bool firstByte = t.ReadIntervalTimeout == MAXDWORD &&
                         t.ReadTotalTimeoutMultiplier == MAXDWORD &&
                         t.ReadTotalTimeoutConstant > 0 && t.ReadTotalTimeoutConstant < MAXDWORD;
  const bool noWait = t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == 0 &&
                      t.ReadTotalTimeoutConstant == 0;
  if (!firstByte && !noWait) {
    (void)std::fprintf(stderr, "winsim: a COM port read with timeouts it does not model\n");
    std::abort();
  }
  auto* bytes = static_cast<char*>(buffer);
  DWORD count = 0;
  if (port.streaming) {
    // 115200 bit/s carry about 11 bytes a millisecond.
    for (; count < toRead; ++count)
      bytes[count] = port.modem.endless[port.streamed++ % port.modem.endless.size()];
    clock += 1 + toRead / 11;
  } else {
    if (port.toSend.empty() || !Reached(port.toSend.front().at, clock)) {
      const bool comesInTime = firstByte && !port.toSend.empty() &&
                               port.toSend.front().at - clock <= t.ReadTotalTimeoutConstant;
      clock = comesInTime ? port.toSend.front().at
                          : clock + (firstByte ? t.ReadTotalTimeoutConstant : 0);
    }
    while (count < toRead && !port.toSend.empty() && Reached(port.toSend.front().at, clock)) {
      std::string& due = port.toSend.front().bytes;
      const size_t taken = std::min<size_t>(toRead - count, due.size());
      due.copy(bytes + count, taken);
      count += static_cast<DWORD>(taken);
      due.erase(0, taken);
      if (due.empty()) port.toSend.pop_front();
    }
  }
  if (read) *read = count;
  return TRUE;
}

BOOL WriteSerialPort(SerialPort& port, const void* buffer, DWORD toWrite, DWORD* written) {
  const auto* bytes = static_cast<const char*>(buffer);
  for (DWORD i = 0; i < toWrite; ++i) Hear(port, bytes[i], TheSerialPorts().clock);
  if (written) *written = toWrite;
  return TRUE;
}

}  // namespace winsim::detail

namespace {

// The open port a communications call names, or null with the last-error code set: the call's
// fault, a handle that is no open port, or no structure to fill or to take.
SerialPort* PortOf(const ApiCall& call, HANDLE file, const void* structure) {
  constexpr SerialPort* kNone = nullptr;
  if (call.fault()) return Fail(call.fault(), kNone);
  SerialPort* port = FindSerialPort(file);
  if (!port) return Fail(ERROR_INVALID_HANDLE, kNone);
  if (!structure) return Fail(ERROR_INVALID_PARAMETER, kNone);
  return port;
}

}  // namespace

BOOL WINAPI GetCommState(HANDLE file, LPDCB state) {
  ApiCall call("GetCommState", {{"file", Handle(file)}});
  SerialPort* port = PortOf(call, file, state);
  if (!port) return FALSE;
  *state = port->state;
  return TRUE;
}

BOOL WINAPI SetCommState(HANDLE file, LPDCB state) {
  ApiCall call("SetCommState", {{"file", Handle(file)}});
  SerialPort* port = PortOf(call, file, state);
  if (!port) return FALSE;
  if (state->ByteSize < 5 || state->ByteSize > 8) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  port->state = *state;
  port->statesSet.push_back(*state);
  return TRUE;
}

BOOL WINAPI GetCommTimeouts(HANDLE file, LPCOMMTIMEOUTS timeouts) {
  ApiCall call("GetCommTimeouts", {{"file", Handle(file)}});
  SerialPort* port = PortOf(call, file, timeouts);
  if (!port) return FALSE;
  *timeouts = port->timeouts;
  return TRUE;
}

BOOL WINAPI SetCommTimeouts(HANDLE file, LPCOMMTIMEOUTS timeouts) {
  ApiCall call("SetCommTimeouts", {{"file", Handle(file)}});
  SerialPort* port = PortOf(call, file, timeouts);
  if (!port) return FALSE;
  port->timeouts = *timeouts;
  return TRUE;
}

BOOL WINAPI PurgeComm(HANDLE file, DWORD flags) {
  ApiCall call("PurgeComm", {{"file", Handle(file)}, {"flags", Hex(flags)}});
  SerialPort* port = PortOf(call, file, &flags);
  if (!port) return FALSE;
  // What has come is dropped; what the modem has yet to send is still to come.
  if (flags & PURGE_RXCLEAR)
    while (!port->toSend.empty() && Reached(port->toSend.front().at, TheSerialPorts().clock))
      port->toSend.pop_front();
  return TRUE;
}

DWORD WINAPI GetTickCount() {
  ApiCall call("GetTickCount", {});
  return TheSerialPorts().clock;
}

void WINAPI Sleep(DWORD milliseconds) {
  ApiCall call("Sleep", {{"milliseconds", Dec(milliseconds)}});
  TheSerialPorts().clock += milliseconds;
}
