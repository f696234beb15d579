// A device's driver key: the values the library writes into it and reads back.
#pragma once

#include <cstddef>

#include "platform.h"

// Registers the element, opens (createKey 0) or creates its driver key and writes the REG_SZ value.
// Returns 0 when the element was not registered or the key not obtained, else 1, even when the
// registry refused the value; `valueWritten`, when given, tells whether it was stored.
int WriteDriverKeyValue(HDEVINFO set, SP_DEVINFO_DATA& element, int createKey,
                        const char* valueName, const char* valueData, bool* valueWritten = nullptr);

// Reads a string value of the element's driver key into `buffer` (`capacity` bytes). Returns 0 when
// the key could not be opened, else 1, even when the read failed. The buffer changes only when the
// read succeeds, and then always holds a NUL-terminated text.
// `valueRead`, when given, tells whether the value was read.
int ReadDriverKeyValue(HDEVINFO set, SP_DEVINFO_DATA& element, const char* valueName, char* buffer,
                       size_t capacity, bool* valueRead = nullptr);
