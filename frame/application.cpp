#include "application.h"

#include <commctrl.h>

#include <cstring>

namespace {
Application* g_application = nullptr;
}  // namespace

Application::Application() {
  g_application = this;
}

Application::~Application() {
  if (g_application == this) g_application = nullptr;
}

Application* Application::Current() {
  return g_application;
}

int Application::Run(HINSTANCE instance) {
  instance_ = instance;
  // The manifest hands the pages' buttons, texts, edit boxes and lists to comctl32 version 6,
  // and Windows XP creates them only once the program has called comctl32 (Vista and later load
  // it on their own). Windows 2000 reads no manifest, and its comctl32 5.8 may refuse the flag:
  // the pages then have user32's own controls, as they always had.
  INITCOMMONCONTROLSEX controls = {};
  controls.dwSize = sizeof controls;
  controls.dwICC = ICC_STANDARD_CLASSES;
  InitCommonControlsEx(&controls);
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  if (length > 0 && length < sizeof path) {
    const char* name = std::strrchr(path, '\\');
    name = name ? name + 1 : path;
    std::strncpy(title_, name, sizeof title_ - 1);
    char* dot = std::strrchr(title_, '.');
    if (dot) *dot = '\0';
  }
  InitInstance();
  return 0;
}
