// The verbs behind RunGprsKit, and the words they share.
#pragma once

#include <initializer_list>
#include <string_view>

#include "growing_text.h"
#include "input_rules.h"
#include "phonebook_editor.h"
#include "verbs.h"

// `GprsKit install COMn`, `GprsKit apn TEXT`, `GprsKit entry` and `GprsKit status`.
int InstallVerb(const char* port, Console& console);
// `standard`: the init string in TS 27.007's form (kApnStandardTemplate), for a modem that
// refuses the kit's own.
int ApnVerb(const char* apn, bool standard, Console& console);
// `GprsKit apn /auto [COMn] [/standard]`: the APN for the internet of the one operator whose
// network code the SIM carries, asked of the modem on COMn or on the kit's modem's port.
int ApnAutoVerb(const char* port, bool standard, Console& console);
int EntryVerb(Phonebook whose, Console& console);
int StatusVerb(Console& console);
// `GprsKit check [COMn]`; `port` is null when none was named.
int CheckVerb(const char* port, Console& console);
// `GprsKit trust` and `GprsKit untrust`: the build's own certificate beside the tool, into the
// machine's Root and TrustedPublisher stores and out of them.
int TrustVerb(Console& console);
int UntrustVerb(Console& console);

// The NUL that ends a text, as a part of one.
inline constexpr std::string_view kTextEnd("\0", 1);

// One line made of `parts`, none of them cut, whatever their length: a path may fill a whole
// buffer of the kit's, and the words around it must still be said.
class Words {
 public:
  Words(std::initializer_list<std::string_view> parts);
  const char* Text() const;

 private:
  GrowingText text_;
  bool whole_ = true;
};

// A text of the library or the system as one line: its line breaks become blanks, and those at
// its end go. `fallback` stands in for an empty text.
void OneLine(const char* text, const char* fallback, char (&line)[kTextCapacity]);

// `value` in decimal digits.
void Decimal(unsigned value, char (&text)[11]);
