// One run's work on the user's phonebook: the entry made through the remote-access service, then
// its thirteen lines set in the phonebook file.
#pragma once

#include "platform.h"
#include "unique_handle.h"

class PhonebookEditor {
 public:
  PhonebookEditor() = default;
  virtual ~PhonebookEditor() = default;
  PhonebookEditor(const PhonebookEditor&) = delete;
  PhonebookEditor& operator=(const PhonebookEditor&) = delete;

  // The current user's phonebook: "APPDATA" of "Volatile Environment", as stored, and the
  // phonebook's place below it. Leaves `path` as it was when the value cannot be read or the
  // whole path would not fit.
  void ReadPhonebookPath(char (&path)[kTextCapacity]);
  // Creates or updates the entry "GPRS Connection"; true when the service accepted it.
  bool CreateEntry(const RASIPADDR& dnsAddress);
  // Sets the entry's thirteen lines in the phonebook. The phonebook is replaced in one step by a
  // complete, flushed copy, or stays exactly as it was.
  bool PatchPhonebook();

 private:
  // Throws the copy away: the phonebook is left as it was.
  bool Discard(const char* tempPath);

  char phonebookPath_[kTextCapacity] = {};
  File tempOut_;
  File phonebookIn_;
};

// Creates the entry and patches the phonebook; on any failure shows the program's one message.
bool RunEntrySetup();
