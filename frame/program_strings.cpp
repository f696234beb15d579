#include "program_strings.h"

bool LoadProgramString(UINT id, char (&buffer)[kTextCapacity]) {
  buffer[0] = '\0';
  return LoadStringA(GetModuleHandleA(nullptr), id, buffer, kTextCapacity) > 0;
}
