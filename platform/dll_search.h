// Where a DLL that the program or a system DLL loads by name later is looked for.
#pragma once

#include "system_function.h"

#ifndef LOAD_LIBRARY_SEARCH_SYSTEM32
#define LOAD_LIBRARY_SEARCH_SYSTEM32 0x00000800
#endif

// Windows looks for a DLL loaded by its bare name in the program's own folder first, and then in
// the current directory. The kit's elevated programs may have been unpacked into a folder that a
// standard user can write, so from the start on only the system folder is searched where this
// Windows can be told so (Windows 8, or Vista and 7 with update KB2533623); else, from Windows XP
// SP1 on, the current directory at least leaves the search. Windows 2000 has neither, and keeps
// its order.
inline void RestrictDllSearch() {
  using SetDefaultDllDirectoriesFunction = BOOL(WINAPI*)(DWORD);
  using SetDllDirectoryFunction = BOOL(WINAPI*)(LPCSTR);
  const auto setDefault =
      KernelFunction<SetDefaultDllDirectoriesFunction>("SetDefaultDllDirectories");
  if (setDefault && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) return;
  const auto setDirectory = KernelFunction<SetDllDirectoryFunction>("SetDllDirectoryA");
  if (setDirectory) setDirectory("");
}
