#include "result_codes.h"

#include "verb_steps.h"

namespace {

// V.250's result codes, verbose and numeric (its table 1). CONNECT may carry text after it, such
// as the line's speed.
struct Code {
  std::string_view verbose;
  char numeric;
  ResultCode kind;
};
constexpr Code kCodes[] = {
    {"OK", '0', ResultCode::kOk},       {"CONNECT", '1', ResultCode::kFinal},
    {"RING", '2', ResultCode::kRing},   {"NO CARRIER", '3', ResultCode::kFinal},
    {"ERROR", '4', ResultCode::kFinal}, {"NO DIALTONE", '6', ResultCode::kFinal},
    {"BUSY", '7', ResultCode::kFinal},  {"NO ANSWER", '8', ResultCode::kFinal},
};

// Final result codes of other standards and of widespread modems: TS 27.005's for short
// messages, and the refusals some USB modems send instead of ERROR for a command they do not
// know or whose values are too many.
constexpr std::string_view kOtherFinals[] = {"+CMS ERROR:", "COMMAND NOT SUPPORT",
                                             "TOO MANY PARAMETERS"};

constexpr std::string_view kMobileError = "+CME ERROR:";

// TS 27.007 §9.2: the general errors (§9.2.1) and those of the packet domain (§9.2.2).
struct MobileErrorText {
  int number;
  const char* text;
};
constexpr MobileErrorText kMobileErrors[] = {
    {0, "phone failure"},
    {1, "no connection to phone"},
    {2, "phone-adaptor link reserved"},
    {3, "operation not allowed"},
    {4, "operation not supported"},
    {5, "PH-SIM PIN required"},
    {6, "PH-FSIM PIN required"},
    {7, "PH-FSIM PUK required"},
    {10, "SIM not inserted"},
    {11, "SIM PIN required"},
    {12, "SIM PUK required"},
    {13, "SIM failure"},
    {14, "SIM busy"},
    {15, "SIM wrong"},
    {16, "incorrect password"},
    {17, "SIM PIN2 required"},
    {18, "SIM PUK2 required"},
    {20, "memory full"},
    {21, "invalid index"},
    {22, "not found"},
    {23, "memory failure"},
    {24, "text string too long"},
    {25, "invalid characters in text string"},
    {26, "dial string too long"},
    {27, "invalid characters in dial string"},
    {30, "no network service"},
    {31, "network timeout"},
    {32, "network not allowed - emergency calls only"},
    {40, "network personalization PIN required"},
    {41, "network personalization PUK required"},
    {42, "network subset personalization PIN required"},
    {43, "network subset personalization PUK required"},
    {44, "service provider personalization PIN required"},
    {45, "service provider personalization PUK required"},
    {46, "corporate personalization PIN required"},
    {47, "corporate personalization PUK required"},
    {100, "unknown"},
    {103, "Illegal MS"},
    {106, "Illegal ME"},
    {107, "GPRS services not allowed"},
    {111, "PLMN not allowed"},
    {112, "Location area not allowed"},
    {113, "Roaming not allowed in this location area"},
    {132, "service option not supported"},
    {133, "requested service option not subscribed"},
    {134, "service option temporarily out of order"},
    {148, "unspecified GPRS error"},
    {149, "PDP authentication failure"},
    {150, "invalid mobile class"},
};

bool StartsWith(std::string_view text, std::string_view start) {
  return text.size() >= start.size() && text.compare(0, start.size(), start) == 0;
}

// What follows "+CME ERROR:", without the blanks before it.
std::string_view MobileErrorValue(std::string_view code) {
  code.remove_prefix(kMobileError.size());
  while (!code.empty() && code.front() == ' ') code.remove_prefix(1);
  return code;
}

// A numeric <err>: TS 27.007's reach to 3 digits, and some modems' own to 4.
bool IsErrorNumber(std::string_view value) {
  if (value.empty() || value.size() > 4) return false;
  for (const char c : value)
    if (c < '0' || c > '9') return false;
  return true;
}

}  // namespace

bool IsNumericCode(std::string_view code) {
  if (code.size() != 1) return false;
  for (const Code& each : kCodes)
    if (each.numeric == code[0]) return true;
  return false;
}

ResultCode ReadResultCode(std::string_view line, bool numeric) {
  // Result codes come in capitals, as V.250 and TS 27.007 write them.
  for (const Code& each : kCodes) {
    if (line == each.verbose || (numeric && line.size() == 1 && line[0] == each.numeric))
      return each.kind;
  }
  if (StartsWith(line, "CONNECT ") || StartsWith(line, kMobileError)) return ResultCode::kFinal;
  for (const std::string_view other : kOtherFinals)
    if (StartsWith(line, other)) return ResultCode::kFinal;
  return ResultCode::kNone;
}

int MobileError(std::string_view code) {
  if (!StartsWith(code, kMobileError)) return -1;
  const std::string_view value = MobileErrorValue(code);
  if (IsErrorNumber(value)) {
    int number = 0;
    for (const char c : value) number = number * 10 + (c - '0');
    return number;
  }
  for (const MobileErrorText& each : kMobileErrors)
    if (SameNoCase(value, each.text)) return each.number;
  return -1;
}

void SayFinalCode(const char* code, char (&said)[kTextCapacity]) {
  const std::string_view text = code;
  const char* meaning = nullptr;
  if (IsNumericCode(text)) {
    for (const Code& each : kCodes)
      if (each.numeric == text[0]) meaning = each.verbose.data();
  } else if (StartsWith(text, kMobileError)) {
    // The verbose form says its meaning itself.
    const int number = IsErrorNumber(MobileErrorValue(text)) ? MobileError(text) : -1;
    for (const MobileErrorText& each : kMobileErrors)
      if (each.number == number) meaning = each.text;
  }
  OneLine(meaning ? Words({code, " (", meaning, ")"}).Text() : code, "(nothing)", said);
}
