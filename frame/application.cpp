#include "application.h"

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
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
  if (length > 0 && length < sizeof path) {
    const char* name = std::strrchr(path, '\\');
    name = name ? name + 1 : path;
    std::strncpy(title_, name, sizeof title_ - 1);
    char* dot = std::strrchr(title_, '.');
    if (dot) *dot = '\0';
  }
  if (!InitInstance()) return 0;
  MSG message;
  while (GetMessageA(&message, nullptr, 0, 0) > 0) {
    TranslateMessage(&message);
    DispatchMessageA(&message);
  }
  return 0;
}
