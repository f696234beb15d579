// The modem's init string around the APN, and writing it into the modem's driver key.
#pragma once

#include "platform.h"

// The template with its one "%s" replaced by `apn`, character for character: nothing in the APN is
// a conversion. False, with `initString` empty, when the result would not fit in 259 characters:
// a cut APN would configure another network without a word.
bool BuildApnInitString(const char* format, const char* apn, char (&initString)[kTextCapacity]);

// Writes the init string for `apn` as "UserInit" of the installed modem. True only when the modem
// was found and the value written.
bool WriteApnInitString(const char* apn);
