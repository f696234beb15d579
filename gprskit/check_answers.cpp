#include "check_answers.h"

#include <cstring>
#include <string_view>

#include "result_codes.h"
#include "verb_steps.h"

namespace {

// The number of at most three digits `text` starts with, blanks before it passed over; -1 when
// there is none, or when what follows it is neither the end nor one of `ends`.
int LeadingNumber(const char* text, const char* ends) {
  while (*text == ' ') ++text;
  int number = 0;
  size_t digits = 0;
  for (; text[digits] >= '0' && text[digits] <= '9' && digits < 3; ++digits)
    number = number * 10 + (text[digits] - '0');
  const char after = text[digits];
  if (digits == 0 || (after != '\0' && !std::strchr(ends, after))) return -1;
  return number;
}

}  // namespace

void SaySignal(const char* answer, char (&said)[kTextCapacity]) {
  const int rssi = LeadingNumber(answer, ",");
  if (rssi < 0 || (rssi > 31 && rssi != 99)) {
    OneLine(answer, "(nothing)", said);
    return;
  }
  char dbm[11];
  Decimal(static_cast<unsigned>(113 - 2 * (rssi > 31 ? 0 : rssi)), dbm);
  const char* more = rssi == 0 ? " dBm or less" : rssi == 31 ? " dBm or more" : " dBm";
  OneLine(rssi == 99 ? "unknown" : Words({"-", dbm, more}).Text(), "", said);
}

void SayRegistration(const char* answer, char (&said)[kTextCapacity]) {
  // TS 27.007 §7.2's <stat>; +CGREG uses the same numbers for what it can be.
  static constexpr const char* kStates[] = {
      "not registered, not searching",
      "registered, home network",
      "not registered, searching",
      "registration denied",
      "unknown",
      "registered, roaming",
      "registered for \"SMS only\", home network",
      "registered for \"SMS only\", roaming",
      "attached for emergency bearer services only",
      "registered for \"CSFB not preferred\", home network",
      "registered for \"CSFB not preferred\", roaming",
      "attached for access to RLOS",
  };
  const char* comma = std::strchr(answer, ',');
  const int state = comma ? LeadingNumber(comma + 1, " ,;") : -1;
  const bool known = state >= 0 && state < static_cast<int>(sizeof kStates / sizeof kStates[0]);
  OneLine(known ? kStates[state] : answer, "(nothing)", said);
}

SimState ReadSimState(AnswerEnd end, const char* information, const char* finalCode) {
  if (end == AnswerEnd::kRefused) {
    switch (MobileError(finalCode)) {
      case 10:
        return SimState::kAbsent;
      case 11:
        return SimState::kPin;
      case 12:
        return SimState::kPuk;
      default:
        return SimState::kNotReady;
    }
  }
  // A modem that never sends the final result code has still said the state.
  if ((end != AnswerEnd::kOk && end != AnswerEnd::kNone) || information[0] == '\0')
    return SimState::kUnknown;
  const std::string_view state = information;
  // The second PIN guards a few of the SIM's files only: TS 27.007 asks the modem not to block
  // anything else while it waits for it.
  if (SameNoCase(state, "READY") || SameNoCase(state, "SIM PIN2") || SameNoCase(state, "SIM PUK2"))
    return SimState::kReady;
  if (SameNoCase(state, "SIM PIN")) return SimState::kPin;
  if (SameNoCase(state, "SIM PUK")) return SimState::kPuk;
  // Not in TS 27.007, but SIMCom's modules say so.
  if (SameNoCase(state, "NOT INSERTED")) return SimState::kAbsent;
  return SimState::kNotReady;
}

const char* SimVerdict(SimState state) {
  switch (state) {
    case SimState::kReady:
      break;
    case SimState::kPin:
      return "the SIM asks for its PIN: no dial works until it is given, or until its request "
             "is switched off with the SIM in a phone";
    case SimState::kPuk:
      return "the SIM asks for its PUK, as its PIN was refused too often: no dial works until "
             "it is unblocked with the PUK from the operator";
    case SimState::kAbsent:
      return "the modem has no SIM: no dial works without one";
    case SimState::kNotReady:
      return "the SIM is not ready (see its line above): no dial works until it is";
    case SimState::kUnknown:
      return "the SIM's state is unknown (see its line above): a dial may fail";
  }
  return "";
}
