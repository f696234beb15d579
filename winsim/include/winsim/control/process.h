// What the program under test finds about itself and the system it runs on.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "winsim/win32.h"

namespace winsim {

// The system's message text for `code` (its own line break included), or none.
void SetMessageText(DWORD code, std::optional<std::string> text);

// The lead bytes of the system's double-byte code page, as ranges; none (a single-byte code page)
// after Reset.
void SetDbcsLeadBytes(std::vector<std::pair<BYTE, BYTE>> ranges);

// What GetVersionExA reports: Windows XP (NT 5.1) after Reset.
void SetWindowsVersion(DWORD platformId, DWORD major, DWORD minor);
// Whether the program runs as a 32-bit process on 64-bit Windows, as IsWow64Process tells; none
// makes kernel32 lack IsWow64Process, as before Windows XP SP2. False after Reset.
void SetWow64(std::optional<bool> underWow64);
// Whether kernel32 has SetDefaultDllDirectories and SetDllDirectoryA; both after Reset.
void SetDllSearchFunctions(bool setDefaultDllDirectories, bool setDllDirectory);
// The folder GetSystemDirectoryA reports, and where newdev.dll lies: C:\WINDOWS\system32 after
// Reset.
void SetSystemDirectory(std::string path);
// The all-users application data, as SHGetFolderPathA gives it: C:\ProgramData after Reset; none
// makes it fail.
void SetCommonAppData(std::optional<std::string> path);
// The process's current directory; none makes GetCurrentDirectoryA fail with `code`.
void SetCurrentDirectory(std::optional<std::string> path, DWORD code = ERROR_ACCESS_DENIED);
// The full path of the program's own file, as GetModuleFileNameA reports it:
// C:\Kit\GprsKit.exe after Reset.
void SetModulePath(std::string path);
// The string table of the program under test.
void SetStrings(std::map<UINT, std::string> strings);

}  // namespace winsim
