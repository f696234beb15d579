// The program's own string table, read into the kit's 260-byte text buffers.
#pragma once

#include "platform.h"

// Copies string `id` of the running program into `buffer`, cut to fit and NUL-terminated; an
// entry that does not exist leaves the empty text. Returns whether the entry exists.
bool LoadProgramString(UINT id, char (&buffer)[kTextCapacity]);
