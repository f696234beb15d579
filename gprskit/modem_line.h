// The serial line to the modem on a COM port: opened for this program alone, set as the kit's INF
// sets the modem, and put back as it was before it closes.
#pragma once

#include <string_view>

#include "modem_answer.h"
#include "unique_handle.h"

class ModemLine {
 public:
  enum class Opened { kOpen, kInUse, kNoSuchPort, kFailed };
  enum class Asked { kAnswered, kTimedOut, kNotTaken, kPortFailed };

  ModemLine() = default;
  ~ModemLine() { (void)Close(); }
  ModemLine(const ModemLine&) = delete;
  ModemLine& operator=(const ModemLine&) = delete;

  // `port` is a COM port's name, "COM1" to "COM256". kFailed leaves the platform's code as the
  // last-error code.
  Opened Open(const char* port);

  // Sends `command` and its CR, then reads until the answer ends or `limitMs` have passed; the
  // answer holds what came. An answer that was cut is read on, within the same time, until the
  // rest of it has come, so that the next command's answer starts clean. kNotTaken: the port did
  // not take the whole command in time, as when the modem's flow control holds it back. kPortFailed
  // leaves the platform's code.
  Asked Ask(std::string_view command, DWORD limitMs, ModemAnswer& answer);

  // Puts the port's former settings back and closes it; false, with the platform's code, when the
  // settings could not be put back.
  bool Close();

 private:
  File port_;
  DCB former_ = {};
  COMMTIMEOUTS formerTimeouts_ = {};
  bool changed_ = false;
};
