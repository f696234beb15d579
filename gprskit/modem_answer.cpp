#include "modem_answer.h"

#include <cstring>

#include "result_codes.h"
#include "verb_steps.h"

namespace {

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

bool IsNameCharacter(char c) {
  return IsDigit(c) || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
}

bool IsText(char c) {
  return (c >= ' ' && c <= '~') || c == '\t';
}

// The first `count` characters of `text`, or all of it. Built by hand, as substr() would bring in
// the exception run time the kit's programs are built without.
std::string_view Head(std::string_view text, size_t count) {
  return std::string_view(text.data(), count < text.size() ? count : text.size());
}

bool StartsWith(std::string_view text, std::string_view start) {
  return text.size() >= start.size() && SameNoCase(Head(text, start.size()), start);
}

std::string_view Trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  return text;
}

// "+CREG" of "+CREG: 0,1"; empty when the line does not start with an extended name and a colon.
std::string_view PrefixOf(std::string_view line) {
  if (line.empty() || line[0] != '+') return {};
  size_t end = 1;
  while (end < line.size() && IsNameCharacter(line[end])) ++end;
  if (end == 1 || end >= line.size() || line[end] != ':') return {};
  return Head(line, end);
}

// A field of one to three digits, blanks around it aside: "1", "001".
bool IsShortNumber(std::string_view field) {
  field = Trimmed(field);
  if (field.empty() || field.size() > 3) return false;
  for (const char c : field)
    if (!IsDigit(c)) return false;
  return true;
}

// A registration state as the read command answers it: "<n>,<stat>", or with the area and the
// cell after them, "<n>,<stat>,<lac>,<ci>[,...]": two fields, or four and more, the first two
// short numbers. The unsolicited code of the same name gives "<stat>", or
// "<stat>,<lac>,<ci>[,<AcT>]": one field, three, or an area code second, quoted or bare in hex.
bool IsRegistrationAnswer(std::string_view fields) {
  std::string_view field[2];
  size_t count = 0;
  for (size_t start = 0;; ++count) {
    const size_t comma = fields.find(',', start);
    const size_t end = comma == std::string_view::npos ? fields.size() : comma;
    if (count < 2) field[count] = std::string_view(fields.data() + start, end - start);
    if (comma == std::string_view::npos) break;
    start = comma + 1;
  }
  ++count;
  return (count == 2 || count >= 4) && IsShortNumber(field[0]) && IsShortNumber(field[1]);
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

// An IMSI as TS 23.003 lays it out: at most 15 digits, the MCC's three, an MNC's two or three
// and at least one of the subscriber's.
bool IsImsi(std::string_view line) {
  if (line.size() < 6 || line.size() > 15) return false;
  for (const char c : line)
    if (!IsDigit(c)) return false;
  return true;
}

}  // namespace

ModemAnswer::ModemAnswer(std::string_view command, InformationText information, bool numericCodes)
    : command_(command),
      kind_(information),
      // A command without information text has no bare digit that a numeric code could be.
      numeric_(numericCodes || information == InformationText::kNone) {
  const size_t plus = command.find('+');
  if (plus == std::string_view::npos) return;
  size_t end = plus + 1;
  while (end < command.size() && IsNameCharacter(command[end])) ++end;
  ownPrefix_ = std::string_view(command.data() + plus, end - plus);
}

bool ModemAnswer::Take(const char* bytes, size_t size) {
  for (size_t i = 0; i < size && !drained_; ++i) {
    const char c = bytes[i];
    if (end_ == AnswerEnd::kNone) {
      if (++taken_ > kMostBytes) {
        end_ = AnswerEnd::kTooMuch;  // and this byte is the first of the rest
      } else if (c == '\r' || c == '\n') {
        EndLine();
        continue;
      } else if (!IsText(c)) {
        end_ = AnswerEnd::kNotText;
        lineSpoilt_ = true;
        continue;
      } else if (length_ + 1 >= kLineCapacity) {
        end_ = AnswerEnd::kLineTooLong;
        lineSpoilt_ = true;
        continue;
      } else {
        line_[length_++] = c;
        continue;
      }
    }
    // The rest of an answer that was cut: the modem is still sending it, and it ends where its
    // final result code does. A line too long or not text there cannot be one.
    if (c == '\r' || c == '\n') {
      if (!lineSpoilt_) EndLine();
      length_ = 0;
      lineSpoilt_ = false;
    } else if (!IsText(c) || length_ + 1 >= kLineCapacity) {
      lineSpoilt_ = true;
    } else {
      line_[length_++] = c;
    }
  }
  return !drained_;
}

void ModemAnswer::EndLine() {
  const std::string_view line = Trimmed(std::string_view(line_, length_));
  length_ = 0;
  // An IMSI in the line is forgotten as soon as the line is read.
  class Forget {
   public:
    explicit Forget(ModemAnswer& answer) : answer_(answer) {}
    ~Forget() {
      if (answer_.kind_ != InformationText::kImsi) return;
      volatile char* bytes = answer_.line_;
      for (size_t i = 0; i < kLineCapacity; ++i) bytes[i] = 0;
    }
    Forget(const Forget&) = delete;
    Forget& operator=(const Forget&) = delete;

   private:
    ModemAnswer& answer_;
  } forget(*this);
  if (line.empty()) return;
  const ResultCode code = ReadResultCode(line, numeric_);
  if (end_ != AnswerEnd::kNone) {
    drained_ = code == ResultCode::kOk || code == ResultCode::kFinal;
    return;
  }
  // The modem sends the command back while its echo is on, before any answer of its own; an
  // unsolicited code may come first.
  if (!echoed_ && informationLength_ == 0 && line == command_) {
    echoed_ = true;
    return;
  }
  if (code == ResultCode::kOk || code == ResultCode::kFinal) {
    std::memcpy(final_, line.data(), line.size());
    final_[line.size()] = '\0';
    end_ = code == ResultCode::kOk ? AnswerEnd::kOk : AnswerEnd::kRefused;
    drained_ = true;
    return;
  }
  if (code != ResultCode::kRing && !IsUnsolicited(line)) Keep(line);
}

bool ModemAnswer::IsUnsolicited(std::string_view line) const {
  // Every line of an answer without information text is one, and so is every vendor's code with
  // a caret ("^RSSI:17", "^BOOT:..."): the kit sends no command of that kind.
  if (kind_ == InformationText::kNone || line[0] == '^') return true;
  const std::string_view prefix = PrefixOf(line);
  // Another command's name: a code the modem sends on its own, such as "+CREG: 1" or "+CRING:".
  if (!prefix.empty() && !SameNoCase(prefix, ownPrefix_)) return true;
  if (kind_ == InformationText::kPlain || kind_ == InformationText::kImsi) return false;
  // A command that names its answer: a line without the name is none of it ("Call Ready").
  if (prefix.empty()) return true;
  if (SameNoCase(prefix, "+CREG") || SameNoCase(prefix, "+CGREG"))
    return !IsRegistrationAnswer(AfterPrefix(line, prefix));
  return false;
}

void ModemAnswer::Keep(std::string_view line) {
  if (!ownPrefix_.empty() && SameNoCase(PrefixOf(line), ownPrefix_))
    line = AfterPrefix(line, ownPrefix_);
  if (kind_ == InformationText::kImsi && IsImsi(line)) {
    if (!network_[0]) std::memcpy(network_, line.data(), sizeof network_ - 1);
    line = "(withheld)";
  }
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
