// Files, by Windows path. They are real files in a folder of their own that Reset empties, so the
// code under test reads and writes through the host's own file system; "C:\\a\\b" is C/a/b there.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace winsim {

void AddFile(std::string_view path, std::string_view contents);
void AddFolder(std::string_view path);
// A symbolic link at `path` to `target`, which need not exist: the platform reports it as a
// reparse point, and follows it unless told to open the link itself.
void AddLink(std::string_view path, std::string_view target);
bool FileExists(std::string_view path);
std::optional<std::string> FileContents(std::string_view path);
// The names of the files in a folder.
std::vector<std::string> FilesIn(std::string_view folder);
// Whether ReplaceFileA carries over only the replacement's data, as Wine's does, rather than the
// creation time and the access list its page names too. Off after Reset.
void ReplaceCarriesOnlyTheData(bool only);
// Another program holds the file open with `access`, sharing it only as `shareMode` says, until
// Reset: by default for reading and writing, without sharing.
void HoldFileOpen(std::string_view path, DWORD access = GENERIC_READ | GENERIC_WRITE,
                  DWORD shareMode = 0);
// A file's security descriptor, as GetFileSecurityA gives it and SetFileSecurityA takes it, is
// text: a line "O:<sid>", "G:<sid>" or "D:<access list>" for each part asked for or given, then a
// NUL. The user may give a file no owner but the user's own sid. A new file has the owner the
// process's token gives (the user, unless SetTokenOwner says otherwise), the user's group, and
// the access list a file in the user's profile inherits; a file a test puts in place has the user
// as owner.
inline constexpr char kUserSid[] = "S-1-5-21-1-2-3-1001";
inline constexpr char kUserGroupSid[] = "S-1-5-21-1-2-3-513";
inline constexpr char kDefaultDacl[] =
    "(A;ID;FA;;;S-1-5-21-1-2-3-1001)(A;ID;FA;;;SY)(A;ID;FA;;;BA)";
// Makes `sid` the owner of the file, folder or link at `path` (a link's own, not its target's),
// as an administrator may.
void GiveFileOwner(std::string_view path, std::string_view sid);

}  // namespace winsim
