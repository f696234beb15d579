// Replacing a file by a new copy of it so that, wherever a run is stopped, the file is the whole
// old one or the whole new one: the copy is made beside it under a lock, flushed, given the file's
// identity and swapped in with a backup, and the next run puts right what a stopped one left.
#pragma once

#include "platform.h"
#include "unique_handle.h"

// Whose phonebook the entry goes into: the user's own, or the system's, in the all-users
// profile, whose entries every user of the PC has. Its folder says who may have left a name
// beside it: in the user's profile only the user and administrators may write, in the all-users
// one any user may make a file.
enum class Phonebook { kUser, kAllUsers };

class SafeReplace {
 public:
  explicit SafeReplace(Phonebook whose = Phonebook::kUser) : whose_(whose) {}

  // The file to replace, and the names beside it that differ in the extension: the copy's
  // ".new", the backup's ".old" and the lock's ".lck". False when there is no file or they would
  // not fit.
  bool Aim(const char* path);

  // Claims the file's folder for this run, and puts right what a run that was stopped part way
  // left there: the file from its backup when the backup is all there is, and no stale copy or
  // backup otherwise. What someone the run does not trust left under the names beside the file
  // is set aside first: a file or a link deleted, a folder refused. True when the folder is this
  // run's, or does not exist yet.
  bool Reclaim();
  // After a reclaim that failed because it could not tell whether the file is there, and so
  // kept the backup: the code the look at the file's name failed with; otherwise 0.
  DWORD BackupKeptFor() const { return backupKeptFor_; }

  // Opens the file for reading, alone, and makes its copy, empty, for writing; false, with
  // nothing changed, when either cannot be. The copy is to be written whole, flushed, and then
  // given to Commit, or thrown away by Discard.
  bool Begin();
  HANDLE Original() const { return original_.get(); }
  HANDLE Copy() const { return copy_.get(); }

  // Gives the copy the file's owner, access list, attributes and creation time, and puts it in the
  // file's place; false, with the file as it was, when any of that fails.
  bool Commit();

  // Throws the copy away: the file is left as it was. Always false, the outcome of a replace
  // that did not happen.
  bool Discard();

 private:
  // What makes the file the user's besides its text. Windows' ReplaceFileA would carry most of it
  // over by itself, but not the owner, and Wine's carries over nothing.
  struct Identity {
    DWORD attributes = 0;
    FILETIME created = {};
    LocalMemory security;
  };

  // Whom the run trusts to have left a name beside the file: its token's default owner, which
  // its own files get; and Administrators, with the user in the user's profile or the system
  // in the all-users one.
  struct Trusted {
    LocalMemory tokenOwner;  // TOKEN_OWNER
    LocalMemory tokenUser;   // TOKEN_USER
    Sid administrators;
    Sid system;
  };

  // Holds the folder's lock, which keeps every other run away from the copy and the backup until
  // this one ends. The system removes it when the run ends, however it ends.
  bool HoldTheFolder();
  bool LearnWhomToTrust();
  bool Trusts(PSID owner) const;
  // Leaves under `path` nothing but a file the run trusts, which `held` then holds, or nothing;
  // false, with nothing changed, for a folder or a link the run trusts, for any folder, and when
  // the name cannot be looked at or its owner cannot be read.
  bool Vet(const char* path, File& held);
  bool ReadIdentity();
  // Puts the copy in the file's place, keeping the file when that fails.
  bool Swap();
  // Moves the backup to the file's name when the backup is all there is; false when that move
  // failed, or when the file's name could not be looked at.
  bool PutBackupBack();

  Phonebook whose_;
  Trusted trusted_;
  char path_[kTextCapacity] = {};
  char copyPath_[kTextCapacity] = {};
  char backupPath_[kTextCapacity] = {};
  char lockPath_[kTextCapacity] = {};
  Identity identity_;
  File lock_;
  File copy_;
  File original_;
  DWORD backupKeptFor_ = 0;
};
