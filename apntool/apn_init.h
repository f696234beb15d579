// The modem's init string around the APN, and writing it into the modem's driver key.
#pragma once

#include "platform.h"

// The template with its one "%s" replaced by `apn`, character for character: nothing in the APN is
// a conversion. False, with `initString` empty, when the result would not fit in 259 characters:
// a cut APN would configure another network without a word.
bool BuildApnInitString(const char* format, const char* apn, char (&initString)[kTextCapacity]);

// What writing the init string came to.
enum class ApnWrite {
  kWritten,
  kTooLong,       // the init string would not fit; the library was not asked
  kNoModem,       // every present device was looked at, and none carries the hardware ID
  kSearchFailed,  // the search stopped before it saw every device: g_szError says why
  kNotWritten,    // the modem is there, but its value was not written: g_szError says why
};

// Writes the init string that `format` makes of `apn` as "UserInit" of the first present device
// with `hardwareId`.
ApnWrite WriteApnInit(const char* hardwareId, const char* format, const char* apn);

// Writes the init string for `apn` as "UserInit" of the installed modem, with the hardware ID and
// the template of the program's string table. True only when the modem was found and the value
// written.
bool WriteApnInitString(const char* apn);
