// What makes the phonebook the user's file besides its text: its owner and access list, its
// attributes and the time it was made. The copy that takes its place is given all of it before
// the swap. Windows' ReplaceFileA would carry most of it over by itself, but not the owner, and
// Wine's carries over nothing.
#pragma once

#include "platform.h"
#include "unique_handle.h"

class FileIdentity {
 public:
  // Reads the identity of `file`, open at `path`; false when any part of it cannot be read.
  bool Read(HANDLE file, const char* path);
  // Gives the open `copy` the creation time.
  bool GiveTime(HANDLE copy) const;
  // Gives the closed copy at `path` the owner, the access list and the attributes. An owner the
  // user may not give (one only an administrator can set) stays the user's, and so does the group;
  // the access list and the attributes are always given, or the result is false.
  bool GiveSecurityAndAttributes(const char* path) const;

 private:
  DWORD attributes_ = 0;
  FILETIME created_ = {};
  LocalMemory security_;
};
