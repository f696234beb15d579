// Functions the kit uses only where the running Windows has them: looked up by name, so that a
// program that asks for one still loads on Windows 2000, which lacks it.
#pragma once

#include "platform.h"

// `name` in `module` as a `Function`, or none.
template <class Function>
Function FunctionIn(HMODULE module, const char* name) {
  if (!module) return nullptr;
  // Through void(*)(), the one function-pointer type that converts to any other without a warning.
  return reinterpret_cast<Function>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

// `name` in kernel32, which every process has loaded, or none.
template <class Function>
Function KernelFunction(const char* name) {
  return FunctionIn<Function>(GetModuleHandleA("kernel32.dll"), name);
}
