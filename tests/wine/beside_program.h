#pragma once

#include <string>

#include "platform.h"

// The full path of `fileName` in the folder of the running program, where the build puts the
// library and the kit's INF.
inline std::string BesideProgram(const char* fileName) {
  char path[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, path, sizeof path);
  const std::string program(path);
  return program.substr(0, program.find_last_of('\\') + 1) + fileName;
}

// The kit as it ships, gathered by the build two folders up from the Wine tests.
inline std::string KitFolder() {
  return BesideProgram("..\\..\\kit");
}
