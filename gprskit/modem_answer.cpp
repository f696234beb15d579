#include "modem_answer.h"

#include <cstring>

#include "verb_steps.h"

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsNameCharacter(char c) {
  return IsDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

// The first `count` characters of `text`, or all of it. Built by hand, as substr() would bring in
// the exception run time the kit's programs are built without.
std::string_view Head(std::string_view text, size_t count) {
  return std::string_view(text.data(), count < text.size() ? count : text.size());
}

bool StartsWith(std::string_view text, std::string_view start) {
  return text.size() >= start.size() && SameNoCase(Head(text, start.size()), start);
}

// "+CREG" of "+CREG: 0,1"; empty when the line does not start with an extended name and a colon.
std::string_view PrefixOf(std::string_view line) {
  if (line.empty() || line[0] != '+') return {};
  size_t end = 1;
  while (end < line.size() && IsNameCharacter(line[end])) ++end;
  if (end == 1 || end >= line.size() || line[end] != ':') return {};
  return Head(line, end);
}

// A registration state as the read command answers it: "<n>,<stat>[,...]", the second field a
// bare number. The unsolicited code of the same name gives "<stat>[,<lac>,<ci>...]" instead: one
// field, or a quoted area code second.
bool IsRegistrationAnswer(std::string_view fields) {
  const size_t comma = fields.find(',');
  if (comma == std::string_view::npos || comma == 0) return false;
  for (size_t i = 0; i < comma; ++i)
    if (!IsDigit(fields[i]) && fields[i] != ' ') return false;
  size_t at = comma + 1;
  while (at < fields.size() && fields[at] == ' ') ++at;
  return at < fields.size() && IsDigit(fields[at]);
}

std::string_view AfterPrefix(std::string_view line, std::string_view prefix) {
  line.remove_prefix(prefix.size() + 1);  // and the colon
  while (!line.empty() && line.front() == ' ') line.remove_prefix(1);
  return line;
}

// An IMEI and an IMSI are 15 digits; 14 in a row is already too close to one to print.
bool NamesAnIdentity(std::string_view line) {
  size_t digits = 0;
  for (size_t i = 0; i < line.size(); ++i) {
    digits = IsDigit(line[i]) ? digits + 1 : 0;
    if (digits >= 14) return true;
    const std::string_view rest(line.data() + i, line.size() - i);
    if (StartsWith(rest, "IMEI") || StartsWith(rest, "IMSI")) return true;
  }
  return false;
}

}  // namespace

ModemAnswer::ModemAnswer(std::string_view command) : command_(command) {
  const size_t plus = command.find('+');
  if (plus == std::string_view::npos) return;
  size_t end = plus + 1;
  while (end < command.size() && IsNameCharacter(command[end])) ++end;
  ownPrefix_ = std::string_view(command.data() + plus, end - plus);
}

bool ModemAnswer::Take(const char* bytes, size_t size) {
  for (size_t i = 0; i < size && end_ == AnswerEnd::kNone; ++i) {
    const char c = bytes[i];
    if (++taken_ > kMostBytes) {
      end_ = AnswerEnd::kTooMuch;
    } else if (c == '\r' || c == '\n') {
      EndLine();
    } else if ((c < ' ' && c != '\t') || c > '~') {
      end_ = AnswerEnd::kNotText;
    } else if (length_ + 1 >= kLineCapacity) {
      end_ = AnswerEnd::kLineTooLong;
    } else {
      line_[length_++] = c;
    }
  }
  return end_ == AnswerEnd::kNone;
}

void ModemAnswer::EndLine() {
  std::string_view line(line_, length_);
  length_ = 0;
  while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
  while (!line.empty() && (line.back() == ' ' || line.back() == '\t')) line.remove_suffix(1);
  if (line.empty()) return;
  // The modem sends the command back first while its echo is on.
  const bool echo = !anyLine_ && line == command_;
  anyLine_ = true;
  if (echo) return;
  // Result codes are sent in capitals, as V.250 and TS 27.007 write them.
  if (line == "OK" || line == "ERROR" || line == "NO CARRIER" ||
      Head(line, sizeof "+CME ERROR:" - 1) == "+CME ERROR:") {
    std::memcpy(final_, line.data(), line.size());
    final_[line.size()] = '\0';
    end_ = line == "OK" ? AnswerEnd::kOk : AnswerEnd::kRefused;
    return;
  }
  if (!IsUnsolicited(line)) Keep(line);
}

bool ModemAnswer::IsUnsolicited(std::string_view line) const {
  if (line == "RING") return true;
  const std::string_view prefix = PrefixOf(line);
  if (prefix.empty()) return false;
  // Another command's name: a code the modem sends on its own, such as "+CREG: 1" or "+CRING:".
  if (!SameNoCase(prefix, ownPrefix_)) return true;
  if (SameNoCase(prefix, "+CREG") || SameNoCase(prefix, "+CGREG"))
    return !IsRegistrationAnswer(AfterPrefix(line, prefix));
  return false;
}

void ModemAnswer::Keep(std::string_view line) {
  if (!ownPrefix_.empty() && SameNoCase(PrefixOf(line), ownPrefix_))
    line = AfterPrefix(line, ownPrefix_);
  if (NamesAnIdentity(line)) line = "(withheld)";
  if (informationCut_) return;
  // Room is kept for the "..." that says the rest was left out.
  constexpr size_t kRoom = sizeof information_ - sizeof "...";
  for (const std::string_view part : {std::string_view(informationLength_ ? "; " : ""), line}) {
    const size_t fits =
        part.size() < kRoom - informationLength_ ? part.size() : kRoom - informationLength_;
    std::memcpy(information_ + informationLength_, part.data(), fits);
    informationLength_ += fits;
    informationCut_ = informationCut_ || fits < part.size();
  }
  if (informationCut_) {
    std::memcpy(information_ + informationLength_, "...", sizeof "...");
    informationLength_ += sizeof "..." - 1;
  }
  information_[informationLength_] = '\0';
}
