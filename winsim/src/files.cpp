// File services over real files in the sandbox, with Windows' sharing rules: a file opened without
// sharing cannot be opened, moved or deleted by anyone else until it is closed.
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <unistd.h>

#include "state.h"

using namespace winsim;
using namespace winsim::detail;

namespace {

State::OpenFile* FindFile(HANDLE file) {
  auto found = Machine().files.find(Token(file));
  return found == Machine().files.end() ? nullptr : &found->second;
}

bool FolderExists(const std::string& hostPath) {
  return std::filesystem::is_directory(std::filesystem::path(hostPath).parent_path());
}

}  // namespace

HANDLE WINAPI CreateFileA(LPCSTR fileName, DWORD access, DWORD shareMode, LPSECURITY_ATTRIBUTES,
                          DWORD disposition, DWORD flags, HANDLE templateFile) {
  ApiCall call("CreateFileA", {{"fileName", Text(fileName)},
                               {"access", Hex(access)},
                               {"shareMode", Hex(shareMode)},
                               {"disposition", Dec(disposition)},
                               {"flags", Hex(flags)},
                               {"templateFile", Handle(templateFile)}});
  if (call.fault()) return Fail(call.fault(), INVALID_HANDLE_VALUE);
  if (!fileName || !*fileName) return Fail(ERROR_PATH_NOT_FOUND, INVALID_HANDLE_VALUE);
  const std::string host = HostPath(fileName);
  if (!FolderExists(host)) return Fail(ERROR_PATH_NOT_FOUND, INVALID_HANDLE_VALUE);
  // This kit never shares: any other opener, or any opener at all, is a conflict.
  if (IsOpenOrHeld(host)) return Fail(ERROR_SHARING_VIOLATION, INVALID_HANDLE_VALUE);
  const bool exists = std::filesystem::exists(host);
  int mode = (access & GENERIC_WRITE) ? ((access & GENERIC_READ) ? O_RDWR : O_WRONLY) : O_RDONLY;
  switch (disposition) {
    case OPEN_EXISTING:
      if (!exists) return Fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
      break;
    case CREATE_NEW:
      if (exists) return Fail(ERROR_FILE_EXISTS, INVALID_HANDLE_VALUE);
      mode |= O_CREAT;
      break;
    case CREATE_ALWAYS:
      mode |= O_CREAT | O_TRUNC;
      break;
    case OPEN_ALWAYS:
      mode |= O_CREAT;
      break;
    case TRUNCATE_EXISTING:
      if (!exists) return Fail(ERROR_FILE_NOT_FOUND, INVALID_HANDLE_VALUE);
      mode |= O_TRUNC;
      break;
    default:
      return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  }
  const int descriptor = ::open(host.c_str(), mode, 0644);
  if (descriptor < 0) return Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
  const uintptr_t token = NewHandle();
  Machine().files[token] = State::OpenFile{descriptor, host, shareMode};
  return reinterpret_cast<HANDLE>(token);
}

BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED) {
  ApiCall call("ReadFile", {{"file", Handle(file)}, {"toRead", Dec(toRead)}});
  if (read) *read = 0;
  if (call.fault()) return Fail(call.fault(), FALSE);
  State::OpenFile* open = FindFile(file);
  if (!open) return Fail(ERROR_INVALID_HANDLE, FALSE);
  const ssize_t count = ::read(open->descriptor, buffer, toRead);
  if (count < 0) return Fail(ERROR_READ_FAULT, FALSE);
  if (read) *read = static_cast<DWORD>(count);
  return TRUE;
}

BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED) {
  ApiCall call("WriteFile", {{"file", Handle(file)}, {"toWrite", Dec(toWrite)}});
  if (written) *written = 0;
  if (call.fault()) return Fail(call.fault(), FALSE);
  State::OpenFile* open = FindFile(file);
  if (!open) return Fail(ERROR_INVALID_HANDLE, FALSE);
  const ssize_t count = ::write(open->descriptor, buffer, toWrite);
  if (count < 0) return Fail(ERROR_WRITE_FAULT, FALSE);
  if (written) *written = static_cast<DWORD>(count);
  return TRUE;
}

BOOL WINAPI FlushFileBuffers(HANDLE file) {
  ApiCall call("FlushFileBuffers", {{"file", Handle(file)}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  State::OpenFile* open = FindFile(file);
  if (!open) return Fail(ERROR_INVALID_HANDLE, FALSE);
  return ::fsync(open->descriptor) == 0 ? TRUE : Fail(ERROR_WRITE_FAULT, FALSE);
}

BOOL WINAPI CloseHandle(HANDLE object) {
  ApiCall call("CloseHandle", {{"object", Handle(object)}});
  State& m = Machine();
  auto found = m.files.find(Token(object));
  if (found == m.files.end()) return Fail(ERROR_INVALID_HANDLE, FALSE);
  ::close(found->second.descriptor);
  m.files.erase(found);
  // A failure injected here happens after the handle is gone, as a close that fails on Windows
  // still ends the handle.
  if (call.fault()) return Fail(call.fault(), FALSE);
  return TRUE;
}

UINT WINAPI GetTempFileNameA(LPCSTR pathName, LPCSTR prefix, UINT unique, LPSTR tempFileName) {
  ApiCall call("GetTempFileNameA",
               {{"pathName", Text(pathName)}, {"prefix", Text(prefix)}, {"unique", Dec(unique)}});
  if (call.fault()) return Fail(call.fault(), UINT{0});
  if (!pathName || !tempFileName) return Fail(ERROR_INVALID_PARAMETER, UINT{0});
  if (!std::filesystem::is_directory(HostPath(pathName))) return Fail(ERROR_DIRECTORY, UINT{0});
  State& m = Machine();
  for (;;) {
    const UINT number = unique ? unique : (++m.tempCounter & 0xFFFF);
    char name[MAX_PATH];
    // Windows refuses a folder that leaves no room for the name. A cut name would lose its number,
    // and every later try would then find the same name taken.
    const int length =
        std::snprintf(name, sizeof name, "%s\\%.3s%X.tmp", pathName, prefix ? prefix : "", number);
    if (length < 0 || static_cast<size_t>(length) >= sizeof name)
      return Fail(ERROR_BUFFER_OVERFLOW, UINT{0});
    const std::string host = HostPath(name);
    if (unique || !std::filesystem::exists(host)) {
      if (!unique) AddFile(name, "");
      std::memcpy(tempFileName, name, static_cast<size_t>(length) + 1);
      return number;
    }
  }
}

BOOL WINAPI MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags) {
  ApiCall call("MoveFileExA", {{"existingFileName", Text(existingFileName)},
                               {"newFileName", Text(newFileName)},
                               {"flags", Hex(flags)}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  const std::string from = HostPath(existingFileName);
  const std::string to = HostPath(newFileName);
  if (!std::filesystem::exists(from)) return Fail(ERROR_FILE_NOT_FOUND, FALSE);
  if (IsOpenOrHeld(from) || IsOpenOrHeld(to)) return Fail(ERROR_SHARING_VIOLATION, FALSE);
  if (std::filesystem::exists(to) && !(flags & MOVEFILE_REPLACE_EXISTING))
    return Fail(ERROR_ALREADY_EXISTS, FALSE);
  // rename() replaces the target in one step, as the replacing move does.
  if (std::rename(from.c_str(), to.c_str()) != 0) return Fail(ERROR_ACCESS_DENIED, FALSE);
  // Write-through returns only once the move is on disk: the folder's new entry is flushed.
  if (flags & MOVEFILE_WRITE_THROUGH) {
    const int folder = ::open(std::filesystem::path(to).parent_path().c_str(), O_RDONLY);
    const bool flushed = folder >= 0 && ::fsync(folder) == 0;
    if (folder >= 0) ::close(folder);
    if (!flushed) return Fail(ERROR_WRITE_FAULT, FALSE);
  }
  return TRUE;
}

BOOL WINAPI DeleteFileA(LPCSTR fileName) {
  ApiCall call("DeleteFileA", {{"fileName", Text(fileName)}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  const std::string host = HostPath(fileName);
  if (!std::filesystem::is_regular_file(host)) return Fail(ERROR_FILE_NOT_FOUND, FALSE);
  if (IsOpenOrHeld(host)) return Fail(ERROR_SHARING_VIOLATION, FALSE);
  std::filesystem::remove(host);
  return TRUE;
}
