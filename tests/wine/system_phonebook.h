// The system's phonebook, where an unattended set-up makes the entry for every user. Wine's
// remote-access service takes an entry without writing one, so a test seeds the phonebook as
// Windows writes it.
#pragma once

#include <shlobj.h>

#include <string>

#include "beside_program.h"

// The phonebook's folder, made where it is missing; "" when the all-users folder is unknown.
inline std::string SystemPhonebookFolder() {
  char common[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, common))) return "";
  std::string folder = common;
  for (const char* part : {"\\Microsoft", "\\Network", "\\Connections", "\\Pbk"}) {
    folder += part;
    CreateDirectoryA(folder.c_str(), nullptr);
  }
  return folder;
}

// The seeded phonebook's path, or "" when it could not be made.
inline std::string SeedSystemPhonebook() {
  const std::string folder = SystemPhonebookFolder();
  if (folder.empty()) return "";
  const std::string pbk = folder + "\\rasphone.pbk";
  return CopyFileA(BesideProgram("rasphone-seed.pbk").c_str(), pbk.c_str(), FALSE) ? pbk : "";
}
