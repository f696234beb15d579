#include "platform.h"

// The library keeps no state beyond its two exported buffers, which the loader zero-fills, so there
// is nothing to set up or tear down on attach or detach.
BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) {
  return TRUE;
}
