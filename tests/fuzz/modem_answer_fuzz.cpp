// Any bytes a modem may send, in pieces of any size, to any of the check's commands: the answer
// ends exactly once, within its bounds, and what it keeps to print is text that names no IMEI or
// IMSI. A plain reading of the bytes, line by line, says which ends are possible.
//
// Input: one byte choosing the command, one choosing the size of the pieces, then the bytes.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "modem_answer.h"

namespace {

constexpr const char* kCommands[] = {
    "AT",       "ATI",    "AT+CGMI",  "AT+CGMM",   "AT+CGMR",
    "AT+CPIN?", "AT+CSQ", "AT+CREG?", "AT+CGREG?", "ATE1;+CGDCONT=\"internet\";+CGQREQ=1"};

void Require(bool holds, const char* what) {
  if (holds) return;
  (void)std::fprintf(stderr, "modem_answer_fuzz: %s\n", what);
  std::abort();
}

bool IsText(char c) {
  return c == '\r' || c == '\n' || c == '\t' || (c >= ' ' && c <= '~');
}

// What a plain reading finds in the bytes an answer may read.
struct Reading {
  bool notText = false;
  bool longLine = false;
  bool ok = false;
  bool finalCode = false;
};

Reading Read(std::string_view bytes) {
  Reading reading;
  std::string line;
  for (const char c : bytes.substr(0, ModemAnswer::kMostBytes)) {
    reading.notText = reading.notText || !IsText(c);
    if (c != '\r' && c != '\n') {
      line.push_back(c);
      reading.longLine = reading.longLine || line.size() >= ModemAnswer::kLineCapacity;
      continue;
    }
    const size_t first = line.find_first_not_of(" \t"), last = line.find_last_not_of(" \t");
    const std::string trimmed =
        first == std::string::npos ? "" : line.substr(first, last - first + 1);
    reading.ok = reading.ok || trimmed == "OK";
    reading.finalCode = reading.finalCode || trimmed == "OK" || trimmed == "ERROR" ||
                        trimmed == "NO CARRIER" || trimmed.rfind("+CME ERROR:", 0) == 0;
    line.clear();
  }
  return reading;
}

bool NamesAnIdentity(std::string_view text) {
  size_t digits = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    digits = (text[i] >= '0' && text[i] <= '9') ? digits + 1 : 0;
    if (digits >= 14) return true;
    std::string four(text.substr(i, 4));
    for (char& c : four)
      if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    if (four == "IMEI" || four == "IMSI") return true;
  }
  return false;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const char* command = kCommands[data[0] % (sizeof kCommands / sizeof kCommands[0])];
  const size_t piece = 1 + data[1] % 97;
  const std::string_view bytes(reinterpret_cast<const char*>(data + 2), size - 2);

  ModemAnswer answer(command);
  bool going = true;
  size_t fed = 0;
  for (; fed < bytes.size() && going; fed += piece) {
    going = answer.Take(bytes.data() + fed, std::min(piece, bytes.size() - fed));
    Require(going == (answer.end() == AnswerEnd::kNone), "Take and end() disagree");
  }
  // Once ended, an answer takes nothing more.
  const AnswerEnd end = answer.end();
  const std::string information = answer.Information();
  Require(!answer.Take("\r\nOK\r\n", 6) || end == AnswerEnd::kNone, "an ended answer went on");
  Require(end == AnswerEnd::kNone || answer.end() == end, "an ended answer changed its end");

  const Reading reading = Read(bytes);
  switch (end) {
    case AnswerEnd::kNone:
      Require(bytes.size() <= ModemAnswer::kMostBytes && !reading.finalCode && !reading.notText &&
                  !reading.longLine,
              "the answer did not end where it must");
      break;
    case AnswerEnd::kOk:
      Require(reading.ok, "OK without an OK line");
      break;
    case AnswerEnd::kRefused:
      Require(reading.finalCode, "a refusal without a final code");
      break;
    case AnswerEnd::kLineTooLong:
      Require(reading.longLine, "a long line that is none");
      break;
    case AnswerEnd::kNotText:
      Require(reading.notText, "a byte that is text was refused");
      break;
    case AnswerEnd::kTooMuch:
      Require(bytes.size() > ModemAnswer::kMostBytes, "too much of too little");
      break;
  }
  if (end == AnswerEnd::kOk || end == AnswerEnd::kRefused)
    Require(std::strlen(answer.FinalCode()) > 0, "a final code that is empty");
  Require(information.size() < kTextCapacity, "the information overran its buffer");
  Require(!NamesAnIdentity(information), "an IMEI or IMSI would be printed");
  for (const char c : information)
    Require(c == '\t' || (c >= ' ' && c <= '~'), "information that is no text");
  return 0;
}
