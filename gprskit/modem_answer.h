// What a modem says to one command, read line by line as V.250 and TS 27.007 lay it out. The echo
// of the command, blank lines and unsolicited result codes are passed over, the command's own
// information lines are kept, and a final result code ends the answer. Whatever the modem sends,
// the answer ends within a bound: a line too long, a byte that is not text, or too many bytes end
// it as well, and what is left of it is then drained up to its final result code, so that it is
// never taken for the next command's answer.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform.h"

enum class AnswerEnd {
  kNone,         // no final result code yet
  kOk,           // OK
  kRefused,      // any other final result code, as FinalCode() says
  kLineTooLong,  // a line of kLineCapacity bytes or more
  kNotText,      // a byte that is no printable ASCII, tab, CR or LF
  kTooMuch,      // kMostBytes bytes without a final result code
};

// The information text a command answers with, by V.250 and TS 27.007.
enum class InformationText {
  kNone,      // none at all: "AT", a line of set commands
  kPlain,     // lines without a prefix of their own: ATI, +CGMI, +CGMM, +CGMR
  kPrefixed,  // lines that start with the command's own name: "+CSQ: 20,99"
  kImsi,      // +CIMI's: the SIM's IMSI, a line of digits, read as the plain kind
};

class ModemAnswer {
 public:
  static constexpr size_t kLineCapacity = 256;
  static constexpr size_t kMostBytes = 4096;

  // `command` as it was sent, without its CR; it must outlive the answer. `numericCodes`: the
  // modem was found sending V.250's numeric result codes (V0), so a line "0" or "4" ends the
  // answer. A command without information text takes them in any case.
  ModemAnswer(std::string_view command, InformationText information, bool numericCodes = false);

  // Reads the next bytes of the answer; false once it has ended and, if it was cut, once the
  // rest of it has come up to its final result code. Then it takes no more.
  bool Take(const char* bytes, size_t size);

  AnswerEnd end() const { return end_; }
  // The final result code as the modem sent it: "ERROR", "+CME ERROR: 10", "4"; "" before it.
  const char* FinalCode() const { return final_; }
  // The information lines, joined by "; ", without the command's own prefix ("+CSQ: "). A line
  // that names an IMEI or IMSI, or holds a run of digits as long as one, stands as "(withheld)":
  // they identify the SIM's owner and have no place in a log.
  const char* Information() const { return information_; }
  // For kImsi: the first six digits of the IMSI, the network's MCC and an MNC of up to three
  // digits; "" when no line was one. The rest of the IMSI is never kept.
  const char* NetworkDigits() const { return network_; }

 private:
  void EndLine();
  bool IsUnsolicited(std::string_view line) const;
  void Keep(std::string_view line);

  std::string_view command_;
  std::string_view ownPrefix_;  // "+CSQ" of "AT+CSQ"; empty for a basic command
  InformationText kind_;
  bool numeric_;
  AnswerEnd end_ = AnswerEnd::kNone;
  size_t taken_ = 0;
  bool echoed_ = false;
  bool drained_ = false;
  bool lineSpoilt_ = false;  // while draining: the line was cut, or held a byte that is no text
  char line_[kLineCapacity] = {};
  size_t length_ = 0;
  char final_[kLineCapacity] = {};
  char information_[kTextCapacity] = {};
  size_t informationLength_ = 0;
  bool informationCut_ = false;
  char network_[7] = {};
};
