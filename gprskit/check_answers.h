// What the check makes of a modem's answers: the signal, the registration and the SIM's state,
// each as TS 27.007 defines it.
#pragma once

#include "modem_answer.h"
#include "platform.h"

// "+CSQ: <rssi>,<ber>" in dBm, by TS 27.007 §8.5's table; the answer as it came when it is none.
void SaySignal(const char* answer, char (&said)[kTextCapacity]);

// "+CREG: <n>,<stat>[,...]" and "+CGREG: ..." (§7.2, §10.1.19): whether the modem is registered,
// and where, with every state of TS 27.007 named; the answer as it came when it is none.
void SayRegistration(const char* answer, char (&said)[kTextCapacity]);

// The SIM's state by the answer to AT+CPIN? (§8.3), or by the +CME ERROR that answers it (§9.2).
enum class SimState {
  kReady,     // READY: the modem can dial as far as the SIM goes
  kPin,       // SIM PIN, or +CME ERROR: 11
  kPuk,       // SIM PUK, or +CME ERROR: 12: blocked
  kAbsent,    // +CME ERROR: 10, SIM not inserted
  kNotReady,  // any other state or error: a SIM failure, a lock of the phone or the network
  kUnknown,   // no answer that says it
};
SimState ReadSimState(AnswerEnd end, const char* information, const char* finalCode);

// The last line the check ends with for a SIM that is not ready.
const char* SimVerdict(SimState state);
