// Setting the entry's thirteen lines while a phonebook is copied line by line.
#pragma once

#include <string_view>

#include "entry_settings.h"
#include "line_sink.h"
#include "line_source.h"

// Copies `in` to `out`, setting the thirteen settings lines of the section headed
// "[entryName]" (the first such header, matched exactly), which runs to the next line that begins
// with "[" after leading blanks. Every line of the section that holds one of the keys (after
// leading blanks it begins with the key) becomes that setting's line, in any order and as often
// as the key stands there; a key the section lacks is skipped. No line outside the section is
// ever changed, and the patch holds no more than the line it is at.
// False, with the copy to be thrown away, when the header is missing, the section holds none of
// the keys, or a line could not be read or written.
bool PatchEntrySection(LineSource& in, LineSink& out, std::string_view entryName);

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

// Reads `in` through the entry's section into `settings`; false when a line could not be read.
bool ReadEntrySection(LineSource& in, std::string_view entryName, SectionSettings& settings);
