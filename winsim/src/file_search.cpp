// File search: the kit looks for one file by its whole name.
#include <cstring>

#include "files.h"

using namespace winsim;
using namespace winsim::detail;

HANDLE WINAPI FindFirstFileA(LPCSTR fileName, LPWIN32_FIND_DATAA findData) {
  ApiCall call("FindFirstFileA", {{"fileName", Text(fileName)}});
  if (call.fault()) return Fail(call.fault(), INVALID_HANDLE_VALUE);
  if (!fileName || !findData) return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  // Names are matched whole; the kit never searches with wildcards.
  std::string contents;
  if (!ReadHostFile(HostPath(fileName), contents))
    return Fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
  std::memset(findData, 0, sizeof *findData);
  findData->dwFileAttributes = FILE_ATTRIBUTE_NORMAL;
  findData->nFileSizeLow = static_cast<DWORD>(contents.size());
  const char* base = std::strrchr(fileName, '\\');
  base = base ? base + 1 : fileName;
  std::strncpy(findData->cFileName, base, sizeof findData->cFileName - 1);
  const uintptr_t token = NewHandle();
  TheFiles().finds.insert(token);
  return reinterpret_cast<HANDLE>(token);
}

BOOL WINAPI FindClose(HANDLE findFile) {
  ApiCall call("FindClose", {{"findFile", Handle(findFile)}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  if (TheFiles().finds.erase(Token(findFile)) == 0) return Fail(ERROR_INVALID_HANDLE, FALSE);
  return TRUE;
}
