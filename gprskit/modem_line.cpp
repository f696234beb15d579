#include "modem_line.h"

#include <cstring>

namespace {

// The line as the INF's driver key gives it to the system's modem driver, in [GprsModem_AddReg]:
//   HKR,,DCB,1,1C,00,00,00,00,C2,01,00,15,20,00,00,00,00,0a,00,0a,00,08,00,00,11,13,00,...
// 115200 bit/s, 8 data bits, no parity, one stop bit, DTR on, RTS/CTS flow control.
DCB KitLine() {
  DCB line = {};
  line.DCBlength = sizeof line;
  line.BaudRate = 115200;
  line.fBinary = TRUE;
  line.fOutxCtsFlow = TRUE;
  line.fDtrControl = DTR_CONTROL_ENABLE;
  line.fRtsControl = RTS_CONTROL_HANDSHAKE;
  line.XonLim = 10;
  line.XoffLim = 10;
  line.ByteSize = 8;
  line.Parity = NOPARITY;
  line.StopBits = ONESTOPBIT;
  line.XonChar = 0x11;
  line.XoffChar = 0x13;
  return line;
}

// A read gives what has come at once, even nothing; an empty read is followed by a pause of a
// millisecond, and the answer's own time limit is counted by the caller. Windows documents a read
// with {MAXDWORD, MAXDWORD, n} as returning as soon as a byte arrives, but Wine waits all n
// milliseconds in every read, which made each answer cost a tenth of a second. A write that the
// modem's flow control holds back gives up after a second, rather than waiting for ever.
constexpr COMMTIMEOUTS kTimeouts = {MAXDWORD, 0, 0, 0, 1000};

// How long the rest of a cut answer may pause before its end is taken as come: a modem sends an
// answer's bytes back to back, at line speed.
constexpr DWORD kQuietMs = 200;

}  // namespace

ModemLine::Opened ModemLine::Open(const char* port) {
  // The device path reaches every port; the bare name only COM1 to COM9.
  char path[16] = "\\\\.\\";
  const size_t length = std::strlen(port);
  if (length + 5 > sizeof path) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return Opened::kFailed;
  }
  std::memcpy(path + 4, port, length + 1);
  // A communications resource is opened for one program at a time, and only as it already is.
  port_.Reset(
      CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!port_) {
    const DWORD code = GetLastError();
    // Windows answers ERROR_ACCESS_DENIED for a port another program holds. Wine maps a host
    // device that another process holds exclusively to a lock conflict; a host may also say that
    // the device is busy or shared.
    if (code == ERROR_ACCESS_DENIED || code == ERROR_SHARING_VIOLATION || code == ERROR_BUSY ||
        code == ERROR_LOCK_VIOLATION)
      return Opened::kInUse;
    if (code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND) return Opened::kNoSuchPort;
    return Opened::kFailed;
  }
  former_.DCBlength = sizeof former_;
  if (!GetCommState(port_.get(), &former_) || !GetCommTimeouts(port_.get(), &formerTimeouts_)) {
    port_.Reset();
    return Opened::kFailed;
  }
  changed_ = true;
  DCB line = KitLine();
  COMMTIMEOUTS timeouts = kTimeouts;
  if (!SetCommState(port_.get(), &line) || !SetCommTimeouts(port_.get(), &timeouts)) {
    LastErrorKeeper keep;
    (void)Close();
    return Opened::kFailed;
  }
  return Opened::kOpen;
}

ModemLine::Asked ModemLine::Ask(std::string_view command, DWORD limitMs, ModemAnswer& answer) {
  char sent[kTextCapacity + 4];
  if (command.size() + 1 > sizeof sent) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return Asked::kPortFailed;
  }
  std::memcpy(sent, command.data(), command.size());
  sent[command.size()] = '\r';
  const DWORD size = static_cast<DWORD>(command.size() + 1);
  // What an earlier command left unread would be taken for this one's answer.
  if (!PurgeComm(port_.get(), PURGE_RXCLEAR | PURGE_TXCLEAR)) return Asked::kPortFailed;
  DWORD written = 0;
  if (!WriteFile(port_.get(), sent, size, &written, nullptr)) return Asked::kPortFailed;
  if (written != size) return Asked::kNotTaken;
  const DWORD start = GetTickCount();
  DWORD lastByte = start;
  // What came is wiped once read, however the answer ends: it may hold the SIM's IMSI.
  class Received {
   public:
    Received() = default;
    ~Received() {
      volatile char* wiped = bytes;
      for (size_t i = 0; i < sizeof bytes; ++i) wiped[i] = 0;
    }
    Received(const Received&) = delete;
    Received& operator=(const Received&) = delete;
    char bytes[64] = {};
  } received;
  char(&bytes)[64] = received.bytes;
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(port_.get(), bytes, sizeof bytes, &read, nullptr)) return Asked::kPortFailed;
    if (read > 0 && !answer.Take(bytes, read)) return Asked::kAnswered;
    // Unsigned, so that the count goes on through the tick counter's wrap after 49.7 days.
    const DWORD now = GetTickCount();
    if (read > 0) lastByte = now;
    // A cut answer has ended; what is still coming of it is drained until it pauses.
    const bool cut = answer.end() != AnswerEnd::kNone;
    if (cut && now - lastByte >= kQuietMs) return Asked::kAnswered;
    if (now - start >= limitMs) return cut ? Asked::kAnswered : Asked::kTimedOut;
    if (read == 0) Sleep(1);
  }
}

bool ModemLine::Close() {
  bool restored = true;
  DWORD code = ERROR_SUCCESS;
  if (changed_) {
    changed_ = false;
    // Both are tried; the first failure's code is the one told.
    if (!SetCommState(port_.get(), &former_)) {
      restored = false;
      code = GetLastError();
    }
    if (!SetCommTimeouts(port_.get(), &formerTimeouts_) && restored) {
      restored = false;
      code = GetLastError();
    }
  }
  port_.Reset();
  if (!restored) SetLastError(code);
  return restored;
}
