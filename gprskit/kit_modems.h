// The kit's modems among the present devices, for the verbs that look at them or take them away.
#pragma once

#include "platform.h"

// Told of each present device whose hardware-ID list holds the kit's hardware ID; returns false
// to stop the search there.
class KitModemVisitor {
 public:
  virtual ~KitModemVisitor() = default;
  virtual bool Visit(HDEVINFO set, SP_DEVINFO_DATA& element) = 0;
};

// Goes through every present device. False, with the platform's code as the last-error code,
// when some could not be looked at or the visitor stopped the search.
bool ForEachKitModem(KitModemVisitor& visitor);

// How a driver-key value was read: as a text, or why not.
enum class ValueRead { kText, kNone, kNoKey, kTooLong, kUnreadable, kNotText };

// A driver-key value that is a text of at most 259 characters; `value` is empty otherwise.
ValueRead ReadText(HKEY key, const char* name, char (&value)[kTextCapacity]);

// What stands in for a value that was not read as a text: "(none)", "(no driver key)", ...
const char* StandIn(ValueRead read);

// A driver-key value as a text, or what stands in for one in parentheses: "(none)", "(no driver
// key)", "(longer than 259 characters)", "(cannot be read)" or "(not a text)".
void ReadValue(HKEY key, const char* name, char (&value)[kTextCapacity]);

// The system's text for `code` on one line.
void SystemReason(DWORD code, char (&reason)[kTextCapacity]);
