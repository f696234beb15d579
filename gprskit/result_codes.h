// The result codes that end a modem's answer or come on their own, as ITU-T V.250 (§5.7) and
// 3GPP TS 27.007 (§9.2) give them, and what they mean in the user's words.
#pragma once

#include <string_view>

#include "platform.h"

enum class ResultCode {
  kNone,   // no result code: information text, or another command's name
  kOk,     // OK, or 0 in V.250's numeric form
  kFinal,  // any other final result code: ERROR, +CME ERROR: <err>, NO CARRIER, CONNECT, ...
  kRing,   // RING, or 2: the one unsolicited result code of V.250
};

// What `line`, without its framing, is. The numeric forms ("0", "4") are read only where
// `numeric` says so: where the modem was found in numeric mode (V0), or where the command has no
// information text a bare digit could be.
ResultCode ReadResultCode(std::string_view line, bool numeric);

// Whether `code` is a result code in V.250's numeric form, such as "4".
bool IsNumericCode(std::string_view code);

// The <err> of "+CME ERROR: <err>" as its number, the verbose form looked up in TS 27.007's list;
// -1 when `code` is no such line or its text is not in the list.
int MobileError(std::string_view code);

// A final result code in the user's words: "ERROR" as it is, "4" as "4 (ERROR)", and
// "+CME ERROR: 11" as "+CME ERROR: 11 (SIM PIN required)".
void SayFinalCode(const char* code, char (&said)[kTextCapacity]);
