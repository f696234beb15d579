// One run's work on the user's phonebook: the entry made through the remote-access service, then
// its thirteen lines set in the phonebook file.
#pragma once

#include "platform.h"
#include "safe_replace.h"

// The names the entry is made with: its own, and that of the device it dials through.
struct EntryNames {
  const char* entry;
  const char* device;
};

class PhonebookEditor {
 public:
  // With the names of the program's string table.
  PhonebookEditor();
  explicit PhonebookEditor(const EntryNames& names, Phonebook phonebook = Phonebook::kUser);
  virtual ~PhonebookEditor() = default;
  PhonebookEditor(const PhonebookEditor&) = delete;
  PhonebookEditor& operator=(const PhonebookEditor&) = delete;

  // The current user's phonebook: "APPDATA" of "Volatile Environment", as stored, and the
  // phonebook's place below it; or the system's, below the all-users application data. Leaves
  // `path` as it was when the folder cannot be read or the whole path would not fit.
  void ReadPhonebookPath(char (&path)[kTextCapacity]);
  // Claims the phonebook's folder for this run, and puts right what a run that was stopped part
  // way left there. True when the folder is this run's, or does not exist yet, or there is no
  // phonebook to patch.
  bool Reclaim();
  // After a failed reclaim: the code of the failed look at the phonebook for which its backup
  // was kept, or 0.
  DWORD BackupKeptFor() const { return replace_.BackupKeptFor(); }
  // Creates or updates the entry; true when the service accepted it.
  bool CreateEntry(const RASIPADDR& dnsAddress);
  // Sets the entry's thirteen lines in the phonebook. The phonebook is replaced by a complete,
  // flushed copy that has its owner, access list, attributes and creation time, or stays
  // exactly as it was.
  bool PatchPhonebook();

 private:
  // Reads the phonebook's place once, and aims the replace at it; false when there is none.
  bool FindPhonebook();

  Phonebook phonebook_ = Phonebook::kUser;
  char entryName_[kTextCapacity] = {};
  char deviceName_[kTextCapacity] = {};
  char phonebookPath_[kTextCapacity] = {};
  SafeReplace replace_;
};

// Which step of the entry's set-up failed, if one did.
enum class EntrySetup {
  kDone,
  kNotReclaimed,  // the phonebook's folder is another run's, or what a stopped run left stays
  kBackupKept,    // the phonebook could not be looked at, so a stopped run's backup of it stays
  kNotCreated,    // the remote-access service did not take the entry
  kNotPatched,    // the entry was made, but its lines could not be set: the phonebook is as it was
};

// Creates the entry with `names` and patches the phonebook.
EntrySetup SetUpEntry(const EntryNames& names, Phonebook phonebook = Phonebook::kUser);
// The same through an editor the caller keeps, to ask it afterwards what it found.
EntrySetup SetUpEntry(PhonebookEditor& editor);

// Creates the entry with the names of the program's string table and patches the phonebook; on
// any failure shows the program's one message.
bool RunEntrySetup();
