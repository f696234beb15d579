// File services over real files in the sandbox, with Windows' sharing rules: a second open must be
// shared by every open before it and share what they asked for, and a file's name moves or goes
// only while every open of it shares deletion.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>

#include <fcntl.h>
#include <unistd.h>

#include "files.h"
#include "security.h"
#include "serial.h"

using namespace winsim;
using namespace winsim::detail;

namespace {

OpenFile* FindFile(HANDLE file) {
  auto found = TheFiles().files.find(Token(file));
  return found == TheFiles().files.end() ? nullptr : &found->second;
}

bool FolderExists(const std::string& hostPath) {
  return std::filesystem::is_directory(std::filesystem::path(hostPath).parent_path());
}

bool IsLink(const std::string& hostPath) {
  return std::filesystem::is_symlink(hostPath);
}

bool IsReadOnly(const std::string& hostPath) {
  return std::filesystem::is_regular_file(hostPath) &&
         (IdentityOf(hostPath).attributes & FILE_ATTRIBUTE_READONLY);
}

// Takes a file away, and what was kept of it with it.
void RemoveFile(const std::string& hostPath) {
  NoteRemoved(hostPath);
  ForgetIdentity(hostPath);
  Retire(hostPath);
}

// Renames in one step, replacing `to`; what was kept of `to` goes with it.
// A handle that may only add, as a log's: every write goes to the file's end.
bool AddsOnly(DWORD access) {
  return (access & (GENERIC_WRITE | FILE_APPEND_DATA)) == FILE_APPEND_DATA;
}

bool RenameFile(const std::string& from, const std::string& to) {
  NoteRenamed(from, to);
  if (std::filesystem::exists(to)) {
    ForgetIdentity(to);
    Retire(to);
  }
  return std::rename(from.c_str(), to.c_str()) == 0;
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
  if (IsSerialPath(fileName)) return OpenSerialPort(fileName, disposition, templateFile);
  if (!fileName || !*fileName) return Fail(ERROR_PATH_NOT_FOUND, INVALID_HANDLE_VALUE);
  std::string host = HostPath(fileName);
  if (!FolderExists(host)) return Fail(ERROR_PATH_NOT_FOUND, INVALID_HANDLE_VALUE);
  if (SharingRefuses(host, access, shareMode))
    return Fail(ERROR_SHARING_VIOLATION, INVALID_HANDLE_VALUE);
  // Windows documents the flag as one that cannot go with CREATE_ALWAYS.
  const bool linkItself = (flags & FILE_FLAG_OPEN_REPARSE_POINT) != 0;
  if (linkItself && disposition == CREATE_ALWAYS)
    return Fail(ERROR_INVALID_PARAMETER, INVALID_HANDLE_VALUE);
  if (linkItself && IsLink(host)) {
    // A link is a name that exists, whether or not what it points to does.
    if (disposition == CREATE_NEW) return Fail(ERROR_FILE_EXISTS, INVALID_HANDLE_VALUE);
    const int descriptor = ::open(host.c_str(), O_PATH | O_NOFOLLOW);
    if (descriptor < 0) return Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
    const uintptr_t token = NewHandle();
    TheFiles().files[token] = OpenFile{
        descriptor, host, access, shareMode, (flags & FILE_FLAG_DELETE_ON_CLOSE) != 0, true};
    return reinterpret_cast<HANDLE>(token);
  }
  // Followed, a link opens what it points to: the handle's writes and its delete on close go
  // there.
  if (IsLink(host)) {
    std::filesystem::path target = std::filesystem::read_symlink(host);
    if (target.is_relative()) target = std::filesystem::path(host).parent_path() / target;
    host = target.lexically_normal().string();
    if (!FolderExists(host)) return Fail(ERROR_PATH_NOT_FOUND, INVALID_HANDLE_VALUE);
    if (SharingRefuses(host, access, shareMode))
      return Fail(ERROR_SHARING_VIOLATION, INVALID_HANDLE_VALUE);
  }
  const bool exists = std::filesystem::exists(host);
  // A folder opens only for the backup semantics that say the caller means a folder.
  if (std::filesystem::is_directory(host) && !(flags & FILE_FLAG_BACKUP_SEMANTICS))
    return Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
  // Windows refuses to write to, empty or delete a read-only file, whoever asks.
  if (exists && IsReadOnly(host) &&
      ((access & (GENERIC_WRITE | FILE_APPEND_DATA | DELETE)) || disposition == CREATE_ALWAYS ||
       disposition == TRUNCATE_EXISTING || (flags & FILE_FLAG_DELETE_ON_CLOSE)))
    return Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
  int mode = (access & GENERIC_WRITE) ? ((access & GENERIC_READ) ? O_RDWR : O_WRONLY) : O_RDONLY;
  if (AddsOnly(access)) mode = O_WRONLY | O_APPEND;
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
  if (exists && (mode & O_TRUNC)) NoteEmptied(host);
  const int descriptor = ::open(host.c_str(), mode, 0644);
  if (descriptor < 0) return Fail(ERROR_ACCESS_DENIED, INVALID_HANDLE_VALUE);
  if (!exists) {
    NoteMade(host);
    // A new file: nothing kept of a file that stood here before, and the attributes asked for.
    ForgetIdentity(host);
    IdentityOf(host).attributes =
        (flags & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_READONLY)) |
        FILE_ATTRIBUTE_ARCHIVE;
    // Its owner is the one the process's token gives what it makes.
    IdentityOf(host).owner = TheSecurity().tokenOwner;
  }
  const uintptr_t token = NewHandle();
  TheFiles().files[token] =
      OpenFile{descriptor, host, access, shareMode, (flags & FILE_FLAG_DELETE_ON_CLOSE) != 0};
  return reinterpret_cast<HANDLE>(token);
}

BOOL WINAPI ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED) {
  ApiCall call("ReadFile", {{"file", Handle(file)}, {"toRead", Dec(toRead)}});
  if (read) *read = 0;
  if (call.fault()) return Fail(call.fault(), FALSE);
  if (SerialPort* port = FindSerialPort(file)) return ReadSerialPort(*port, buffer, toRead, read);
  OpenFile* open = FindFile(file);
  if (!open) return Fail(ERROR_INVALID_HANDLE, FALSE);
  toRead = std::min(toRead, call.most());
  const ssize_t count = ::read(open->descriptor, buffer, toRead);
  if (count < 0) return Fail(ERROR_READ_FAULT, FALSE);
  if (read) *read = static_cast<DWORD>(count);
  return TRUE;
}

BOOL WINAPI WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED) {
  ApiCall call("WriteFile", {{"file", Handle(file)}, {"toWrite", Dec(toWrite)}});
  if (written) *written = 0;
  if (call.fault()) return Fail(call.fault(), FALSE);
  toWrite = std::min(toWrite, call.most());
  if (SerialPort* port = FindSerialPort(file))
    return WriteSerialPort(*port, buffer, toWrite, written);
  OpenFile* open = FindFile(file);
  if (!open) return Fail(ERROR_INVALID_HANDLE, FALSE);
  const off_t offset = ::lseek(open->descriptor, 0, AddsOnly(open->access) ? SEEK_END : SEEK_CUR);
  if (offset >= 0) NoteWrite(open->hostPath, static_cast<uint64_t>(offset), buffer, toWrite);
  const ssize_t count = ::write(open->descriptor, buffer, toWrite);
  if (count < 0) return Fail(ERROR_WRITE_FAULT, FALSE);
  if (written) *written = static_cast<DWORD>(count);
  return TRUE;
}

BOOL WINAPI FlushFileBuffers(HANDLE file) {
  ApiCall call("FlushFileBuffers", {{"file", Handle(file)}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  OpenFile* open = FindFile(file);
  if (!open) return Fail(ERROR_INVALID_HANDLE, FALSE);
  if (::fsync(open->descriptor) != 0) return Fail(ERROR_WRITE_FAULT, FALSE);
  NoteFlushed(open->hostPath);
  return TRUE;
}

BOOL WINAPI CloseHandle(HANDLE object) {
  ApiCall call("CloseHandle", {{"object", Handle(object)}});
  if (SerialPort* port = FindSerialPort(object)) {
    port->openAs = 0;
    return call.fault() ? Fail(call.fault(), FALSE) : TRUE;
  }
  if (CloseToken(object)) return call.fault() ? Fail(call.fault(), FALSE) : TRUE;
  FileState& m = TheFiles();
  auto found = m.files.find(Token(object));
  if (found == m.files.end()) return Fail(ERROR_INVALID_HANDLE, FALSE);
  ::close(found->second.descriptor);
  const OpenFile closed = found->second;
  m.files.erase(found);
  // A failure injected here happens after the handle is gone, as a close that fails on Windows
  // still ends the handle; a file to be deleted on close then stays.
  if (call.fault()) return Fail(call.fault(), FALSE);
  if (closed.deleteOnClose && closed.link) {
    ForgetIdentity(closed.hostPath, true);
    std::filesystem::remove(closed.hostPath);
  } else if (closed.deleteOnClose)
    RemoveFile(closed.hostPath);
  return TRUE;
}

BOOL WINAPI MoveFileExA(LPCSTR existingFileName, LPCSTR newFileName, DWORD flags) {
  ApiCall call("MoveFileExA", {{"existingFileName", Text(existingFileName)},
                               {"newFileName", Text(newFileName)},
                               {"flags", Hex(flags)}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  const std::string from = HostPath(existingFileName);
  const std::string to = HostPath(newFileName);
  if (!IsLink(from) && !std::filesystem::exists(from)) return Fail(ERROR_FILE_NOT_FOUND, FALSE);
  if (NameIsHeld(from) || NameIsHeld(to)) return Fail(ERROR_SHARING_VIOLATION, FALSE);
  if (std::filesystem::exists(to) && !(flags & MOVEFILE_REPLACE_EXISTING))
    return Fail(ERROR_ALREADY_EXISTS, FALSE);
  if (IsReadOnly(to)) return Fail(ERROR_ACCESS_DENIED, FALSE);
  // rename() replaces the target in one step, as the replacing move does.
  if (!RenameFile(from, to)) return Fail(ERROR_ACCESS_DENIED, FALSE);
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
  // A link goes, never what it points to; a folder is not a file to delete, nor is a link to one,
  // which RemoveDirectoryA removes.
  if (IsLink(host)) {
    if (std::filesystem::is_directory(host)) return Fail(ERROR_ACCESS_DENIED, FALSE);
    if (NameIsHeld(host)) return Fail(ERROR_SHARING_VIOLATION, FALSE);
    ForgetIdentity(host, true);
    std::filesystem::remove(host);
    return TRUE;
  }
  if (std::filesystem::is_directory(host)) return Fail(ERROR_ACCESS_DENIED, FALSE);
  if (!std::filesystem::is_regular_file(host)) return Fail(ERROR_FILE_NOT_FOUND, FALSE);
  if (NameIsHeld(host)) return Fail(ERROR_SHARING_VIOLATION, FALSE);
  if (IsReadOnly(host)) return Fail(ERROR_ACCESS_DENIED, FALSE);
  RemoveFile(host);
  return TRUE;
}

BOOL WINAPI RemoveDirectoryA(LPCSTR pathName) {
  ApiCall call("RemoveDirectoryA", {{"pathName", Text(pathName)}});
  if (call.fault()) return Fail(call.fault(), FALSE);
  if (!pathName) return Fail(ERROR_PATH_NOT_FOUND, FALSE);
  const std::string host = HostPath(pathName);
  // A link to a folder goes as itself, whatever the folder holds, as a junction does.
  const bool link = IsLink(host);
  if (!std::filesystem::is_directory(host)) {
    if (link || std::filesystem::exists(host)) return Fail(ERROR_DIRECTORY, FALSE);
    return Fail(FolderExists(host) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND, FALSE);
  }
  if (!link && !std::filesystem::is_empty(host)) return Fail(ERROR_DIR_NOT_EMPTY, FALSE);
  if (NameIsHeld(host)) return Fail(ERROR_SHARING_VIOLATION, FALSE);
  ForgetIdentity(host, true);
  std::filesystem::remove(host);
  return TRUE;
}

// As Windows documents it: the replacement takes the replaced file's attributes, creation time
// and access list (not its owner), the replaced file moves to the backup's name, and the
// replacement to the replaced file's. Two injected failures stop part way, as Windows describes
// them: ERROR_UNABLE_TO_MOVE_REPLACEMENT with a backup name leaves both files under their own
// names; ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 leaves the replaced file under the backup's name.
BOOL WINAPI ReplaceFileA(LPCSTR replacedFileName, LPCSTR replacementFileName, LPCSTR backupFileName,
                         DWORD replaceFlags, LPVOID, LPVOID) {
  ApiCall call("ReplaceFileA", {{"replacedFileName", Text(replacedFileName)},
                                {"replacementFileName", Text(replacementFileName)},
                                {"backupFileName", Text(backupFileName)},
                                {"replaceFlags", Hex(replaceFlags)}});
  const DWORD fault = call.fault();
  const bool partway = fault == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 && backupFileName;
  if (fault && !partway) return Fail(fault, FALSE);
  if (!replacedFileName || !replacementFileName) return Fail(ERROR_INVALID_PARAMETER, FALSE);
  const std::string replaced = HostPath(replacedFileName);
  const std::string replacement = HostPath(replacementFileName);
  if (!std::filesystem::is_regular_file(replaced) || !std::filesystem::is_regular_file(replacement))
    return Fail(ERROR_FILE_NOT_FOUND, FALSE);
  if (NameIsHeld(replaced) || NameIsHeld(replacement)) return Fail(ERROR_SHARING_VIOLATION, FALSE);
  if (IsReadOnly(replaced)) return Fail(ERROR_ACCESS_DENIED, FALSE);
  const std::string backup = backupFileName ? HostPath(backupFileName) : std::string();
  if (backupFileName && (NameIsHeld(backup) || IsReadOnly(backup)))
    return Fail(ERROR_UNABLE_TO_REMOVE_REPLACED, FALSE);

  // What the function's page says it carries over, of what the simulation keeps: the creation
  // time and the access list, but not the attributes or the owner. Wine's carries only the data.
  if (!TheFiles().replaceCarriesOnlyData) {
    const FileIdentity kept = IdentityOf(replaced);
    FileIdentity& identity = IdentityOf(replacement);
    identity.created = kept.created;
    identity.dacl = kept.dacl;
  }
  if (backupFileName) {
    if (!RenameFile(replaced, backup)) return Fail(ERROR_UNABLE_TO_REMOVE_REPLACED, FALSE);
  } else {
    RemoveFile(replaced);
  }
  if (partway) return Fail(fault, FALSE);
  if (!RenameFile(replacement, replaced)) {
    return Fail(
        backupFileName ? ERROR_UNABLE_TO_MOVE_REPLACEMENT_2 : ERROR_UNABLE_TO_MOVE_REPLACEMENT,
        FALSE);
  }
  return TRUE;
}
