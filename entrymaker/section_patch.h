// The phonebook copied with the entry's thirteen settings lines set: one pass over the file, which
// is read and written a piece at a time.
#pragma once

#include <cstddef>
#include <string_view>

#include "platform.h"

// The thirteen settings lines of the GPRS entry that its record does not carry.
struct EntrySetting {
  const char* key;  // with its "="
  const char* value;
};

constexpr int kEntrySettingCount = 13;

// In the order the remote-access service writes them.
extern const EntrySetting EntrySettings[kEntrySettingCount];

// The most of the phonebook that is read, and of the copy that is written, at a time.
constexpr size_t kPhonebookPiece = size_t{64} * 1024;

// Copies the open `phonebook` to the open `copy`, setting the thirteen settings lines of the
// section headed "[entryName]" (the first such header, matched exactly), which runs to the next
// line that begins with "[" after leading blanks. Every line of the section that holds one of the
// keys (after leading blanks it begins with the key) becomes that setting's line, in any order and
// as often as the key stands there; a key the section lacks is skipped. No line outside the
// section is ever changed. A line ends at LF, and a CR right before the LF belongs to its end; a
// last line without an LF is a line all the same, a CR at its end kept. Every line is written with
// CR LF. The copy is flushed to disk.
// False, with the copy to be thrown away, when the header is missing, the section holds none of
// the keys, or the files could not be read or written.
// `piece`, from 1 to kPhonebookPiece, is how much is read and written at a time: a smaller one
// changes how often the files are called, never the copy.
bool CopyPatched(HANDLE phonebook, HANDLE copy, std::string_view entryName,
                 size_t piece = kPhonebookPiece);

// What the section headed "[entryName]" holds of the thirteen settings lines, found as the patch
// finds them.
struct SectionSettings {
  bool found = false;                     // the header is there
  bool stands[kEntrySettingCount] = {};   // a line of the section holds the setting's key
  bool differs[kEntrySettingCount] = {};  // such a line is not the setting's line
  // Whether the section is as the patch leaves it: some of the keys stand there, each with its
  // setting's value.
  bool AsPatched() const;
};

// Reads the open `phonebook` through the entry's section into `settings`; false when it could
// not be read.
bool ReadEntrySection(HANDLE phonebook, std::string_view entryName, SectionSettings& settings);
