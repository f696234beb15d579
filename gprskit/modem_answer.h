// What a modem says to one command, read line by line as V.250 and TS 27.007 lay it out. The echo
// of the command, blank lines and unsolicited result codes are passed over, information lines are
// kept, and a final result code ends the answer. Whatever the modem sends, the answer ends within
// a bound: a line too long, a byte that is not text, or too many bytes end it as well.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform.h"

enum class AnswerEnd {
  kNone,         // no final result code yet
  kOk,           // OK
  kRefused,      // ERROR, +CME ERROR: <n> or NO CARRIER, as FinalCode() says
  kLineTooLong,  // a line of kLineCapacity bytes or more
  kNotText,      // a byte that is no printable ASCII, tab, CR or LF
  kTooMuch,      // kMostBytes bytes without a final result code
};

class ModemAnswer {
 public:
  static constexpr size_t kLineCapacity = 256;
  static constexpr size_t kMostBytes = 4096;

  // `command` as it was sent, without its CR; it must outlive the answer.
  explicit ModemAnswer(std::string_view command);

  // Reads the next bytes of the answer; false once it has ended, and then takes no more.
  bool Take(const char* bytes, size_t size);

  AnswerEnd end() const { return end_; }
  // The final result code as the modem sent it: "ERROR", "+CME ERROR: 10"; "" before it.
  const char* FinalCode() const { return final_; }
  // The information lines, joined by "; ", without the command's own prefix ("+CSQ: "). A line
  // that names an IMEI or IMSI, or holds a run of digits as long as one, stands as "(withheld)":
  // they identify the SIM's owner and have no place in a log.
  const char* Information() const { return information_; }

 private:
  void EndLine();
  bool IsUnsolicited(std::string_view line) const;
  void Keep(std::string_view line);

  std::string_view command_;
  std::string_view ownPrefix_;  // "+CSQ" of "AT+CSQ"; empty for a basic command
  AnswerEnd end_ = AnswerEnd::kNone;
  size_t taken_ = 0;
  bool anyLine_ = false;
  char line_[kLineCapacity] = {};
  size_t length_ = 0;
  char final_[kLineCapacity] = {};
  char information_[kTextCapacity] = {};
  size_t informationLength_ = 0;
  bool informationCut_ = false;
};
