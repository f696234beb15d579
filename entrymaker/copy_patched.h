// The patch between the open phonebook and its open copy.
#pragma once

#include <string_view>

#include "platform.h"

// Copies the open `phonebook` to the open `copy`, setting the entry's lines, and flushes the copy
// to disk; false, with the copy to be thrown away, when any of it failed.
bool CopyPatched(HANDLE phonebook, HANDLE copy, std::string_view entryName);
