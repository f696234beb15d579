// A newdev.dll of a standard user's making, as it would lie in a folder the user can write: it
// does nothing but tell the process that it was loaded.
#include <windows.h>

extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) SetEnvironmentVariableA("KIT_PLANTED_NEWDEV", "loaded");
  return TRUE;
}
