// Any bytes a modem may send, in pieces of any size, to any of the check's commands: the answer
// ends exactly where a plain reading of the bytes, line by line, says it must, keeps exactly the
// information that reading keeps, prints no IMEI or IMSI, and once cut takes the rest of the
// answer up to its final result code. The seeds hold real modems' answers, as the unit tests cite
// them: vendor codes, a code before the echo, unsolicited registrations, numeric mode.
//
// Input: one byte choosing the command (its high bit: the modem is in numeric mode), one choosing
// the size of the pieces, then the bytes.
#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "modem_answer.h"

namespace {

struct Command {
  const char* text;
  InformationText information;
};
constexpr Command kCommands[] = {
    {"AT", InformationText::kNone},
    {"ATI", InformationText::kPlain},
    {"AT+CGMI", InformationText::kPlain},
    {"AT+CGMM", InformationText::kPlain},
    {"AT+CGMR", InformationText::kPlain},
    {"AT+CPIN?", InformationText::kPrefixed},
    {"AT+CSQ", InformationText::kPrefixed},
    {"AT+CREG?", InformationText::kPrefixed},
    {"AT+CGREG?", InformationText::kPrefixed},
    {"ATE1;+CGDCONT=\"internet\";+CGQREQ=1", InformationText::kNone},
    {"AT+CIMI", InformationText::kImsi},
};

void Require(bool holds, const char* what) {
  if (holds) return;
  (void)std::fprintf(stderr, "modem_answer_fuzz: %s\n", what);
  std::abort();
}

bool IsText(char c) {
  return c == '\t' || (c >= ' ' && c <= '~');
}

bool IsDigits(const std::string& text, size_t most) {
  if (text.empty() || text.size() > most) return false;
  for (const char c : text)
    if (c < '0' || c > '9') return false;
  return true;
}

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t"), last = text.find_last_not_of(" \t");
  return first == std::string::npos ? "" : text.substr(first, last - first + 1);
}

std::string Upper(std::string text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  return text;
}

bool StartsWith(const std::string& text, const std::string& start) {
  return text.compare(0, start.size(), start) == 0;
}

// V.250's final result codes, TS 27.007's and 27.005's, and two vendors' refusals; the numeric
// forms only where the modem is in numeric mode or the command has no information text.
bool IsFinal(const std::string& line, bool numeric, bool* ok) {
  *ok = line == "OK" || (numeric && line == "0");
  if (*ok) return true;
  for (const char* code : {"ERROR", "NO CARRIER", "NO DIALTONE", "BUSY", "NO ANSWER", "CONNECT"})
    if (line == code) return true;
  for (const char* start :
       {"CONNECT ", "+CME ERROR:", "+CMS ERROR:", "COMMAND NOT SUPPORT", "TOO MANY PARAMETERS"})
    if (StartsWith(line, start)) return true;
  return numeric && line.size() == 1 && std::strchr("134678", line[0]);
}

// "+NAME" when the line starts with it and a colon.
std::string NameOf(const std::string& line) {
  size_t end = 1;
  while (end < line.size() && std::isalnum(static_cast<unsigned char>(line[end]))) ++end;
  if (line.empty() || line[0] != '+' || end == 1 || end >= line.size() || line[end] != ':')
    return "";
  return line.substr(0, end);
}

bool NamesAnIdentity(const std::string& text) {
  const std::string upper = Upper(text);
  if (upper.find("IMEI") != std::string::npos || upper.find("IMSI") != std::string::npos)
    return true;
  size_t digits = 0;
  for (const char c : text) {
    digits = (c >= '0' && c <= '9') ? digits + 1 : 0;
    if (digits >= 14) return true;
  }
  return false;
}

// What a plain reading of the bytes expects of the answer.
struct Expected {
  AnswerEnd end = AnswerEnd::kNone;
  std::string finalCode;
  std::string information;
  std::string network;   // the first six digits of the first IMSI line, for +CIMI
  bool drained = false;  // ended, and the rest of a cut answer has come up to a final code
};

class Reader {
 public:
  Reader(const Command& command, bool numeric)
      : command_(command.text),
        kind_(command.information),
        numeric_(numeric || command.information == InformationText::kNone) {
    const size_t plus = command_.find('+');
    if (plus != std::string::npos) {
      size_t end = plus + 1;
      while (end < command_.size() && std::isalnum(static_cast<unsigned char>(command_[end])))
        ++end;
      own_ = command_.substr(plus, end - plus);
    }
  }

  Expected Read(std::string_view bytes) {
    // Line by line, each judged whole: where in it the answer is cut, if anywhere, and else
    // what the line is.
    for (size_t start = 0; start < bytes.size() && !expected_.drained;) {
      size_t end = start;
      while (end < bytes.size() && bytes[end] != '\r' && bytes[end] != '\n') ++end;
      const std::string line(bytes.substr(start, end - start));
      const bool ends = end < bytes.size();
      for (size_t at = start; expected_.end == AnswerEnd::kNone && at <= end && at < bytes.size();
           ++at) {
        if (at == ModemAnswer::kMostBytes)
          Cut(AnswerEnd::kTooMuch, false);
        else if (at < end && !IsText(bytes[at]))
          Cut(AnswerEnd::kNotText, true);
        else if (at < end && at - start + 1 >= ModemAnswer::kLineCapacity)
          Cut(AnswerEnd::kLineTooLong, true);
        else if (at == end && ends)
          Answer(Trim(line));
      }
      // The rest of a cut answer, from the line it was cut in: a whole line of text there may
      // be its final code.
      if (cut_ && ends && !spoilt_) {
        bool text = line.size() < ModemAnswer::kLineCapacity, ok = false;
        for (const char c : line) text = text && IsText(c);
        expected_.drained = text && IsFinal(Trim(line), numeric_, &ok);
      }
      if (ends) spoilt_ = false;
      start = end + 1;
    }
    return expected_;
  }

 private:
  void Cut(AnswerEnd end, bool spoilt) {
    expected_.end = end;
    cut_ = true;
    spoilt_ = spoilt;
  }

  void Answer(const std::string& line) {
    if (line.empty()) return;
    if (!echoed_ && kept_.empty() && line == command_) {
      echoed_ = true;
      return;
    }
    bool ok = false;
    if (IsFinal(line, numeric_, &ok)) {
      expected_.end = ok ? AnswerEnd::kOk : AnswerEnd::kRefused;
      expected_.finalCode = line;
      expected_.information = kept_;
      expected_.drained = true;
      return;
    }
    if (line == "RING" || (numeric_ && line == "2")) return;
    if (kind_ == InformationText::kNone || line[0] == '^') return;
    const std::string name = NameOf(line);
    if (!name.empty() && Upper(name) != Upper(own_)) return;
    if (kind_ == InformationText::kPrefixed && name.empty()) return;
    std::string text = line;
    if (!name.empty()) {
      text = line.substr(name.size() + 1);
      text.erase(0, text.find_first_not_of(' ') == std::string::npos ? text.size()
                                                                     : text.find_first_not_of(' '));
    }
    if (kind_ == InformationText::kPrefixed &&
        (Upper(name) == "+CREG" || Upper(name) == "+CGREG") && !IsRegistrationAnswer(text))
      return;
    if (kind_ == InformationText::kImsi && text.size() >= 6 && IsDigits(text, 15)) {
      if (expected_.network.empty()) expected_.network = text.substr(0, 6);
      text = "(withheld)";
    }
    if (NamesAnIdentity(text)) text = "(withheld)";
    Keep(text);
  }

  // The read command's answer has two fields, or four and more, the first two short numbers.
  static bool IsRegistrationAnswer(const std::string& text) {
    std::vector<std::string> fields(1);
    for (const char c : text) {
      if (c == ',')
        fields.emplace_back();
      else
        fields.back().push_back(c);
    }
    if (fields.size() == 1 || fields.size() == 3) return false;
    const std::string n = Trim(fields[0]), stat = Trim(fields[1]);
    return IsDigits(n, 3) && IsDigits(stat, 3);
  }

  void Keep(const std::string& text) {
    constexpr size_t kRoom = kTextCapacity - 4;
    if (full_) return;
    std::string whole = kept_.empty() ? text : kept_ + "; " + text;
    if (whole.size() > kRoom) {
      whole = whole.substr(0, kRoom) + "...";
      full_ = true;
    }
    kept_ = whole;
  }

  std::string command_, own_;
  InformationText kind_;
  bool numeric_;
  bool echoed_ = false, cut_ = false, spoilt_ = false, full_ = false;
  std::string kept_;
  Expected expected_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const Command& command = kCommands[(data[0] & 0x7F) % (sizeof kCommands / sizeof kCommands[0])];
  const bool numeric = (data[0] & 0x80) != 0;
  const size_t piece = 1 + data[1] % 97;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 2), size - 2);

  ModemAnswer answer(command.text, command.information, numeric);
  bool going = true;
  for (size_t fed = 0; fed < bytes.size() && going; fed += piece)
    going = answer.Take(bytes.data() + fed, std::min(piece, bytes.size() - fed));
  const Expected expected = Reader(command, numeric).Read(bytes);
  Require(answer.end() == expected.end, "the answer did not end where a plain reading ends it");
  Require(going == !expected.drained, "the answer went on where it was done, or stopped early");
  if (expected.end == AnswerEnd::kOk || expected.end == AnswerEnd::kRefused) {
    Require(answer.FinalCode() == expected.finalCode, "another final code than the answer's");
    Require(answer.Information() == expected.information, "other information than the answer's");
    Require(answer.NetworkDigits() == expected.network, "another network than the IMSI's");
  }
  // Once done, an answer takes nothing more.
  const AnswerEnd end = answer.end();
  const std::string information = answer.Information();
  Require(going || !answer.Take("\r\nOK\r\n", 6), "a done answer went on");
  Require(answer.end() == end && information == answer.Information(), "a done answer changed");

  Require(information.size() < kTextCapacity, "the information overran its buffer");
  Require(!NamesAnIdentity(information), "an IMEI or IMSI would be printed");
  // Of an IMSI, the network's six digits at most are kept.
  Require(std::strlen(answer.NetworkDigits()) == 0 || std::strlen(answer.NetworkDigits()) == 6,
          "more or less of an IMSI than its network's digits was kept");
  for (const char c : information)
    Require(c == '\t' || (c >= ' ' && c <= '~'), "information that is no text");
  return 0;
}
