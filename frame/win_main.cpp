#include "application.h"
#include "dll_search.h"

// The programs keep no outcome in their exit status: what the user sees is the whole result.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // Before anything else runs that could load a DLL by its name.
  RestrictDllSearch();
  Application* application = Application::Current();
  return application ? application->Run(instance) : 1;
}
