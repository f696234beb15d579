#include "application.h"

// The programs keep no outcome in their exit status: what the user sees is the whole result.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  Application* application = Application::Current();
  return application ? application->Run(instance) : 1;
}
