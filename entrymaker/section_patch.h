// Setting the entry's thirteen lines while a phonebook is copied line by line.
#pragma once

#include <string_view>

#include "growing_text.h"

// Where the copy goes: each line followed by CR LF.
class LineSink {
 public:
  virtual ~LineSink() = default;
  // False when the line could not be written.
  virtual bool WriteLine(std::string_view line) = 0;
  // Writes whole lines at once: `lines` ends with LF, and a CR right before an LF belongs to the
  // line's end. The sink may take text whose ends are all CR LF as it stands.
  virtual bool WriteLines(std::string_view lines);
  // Writes a line too long to be held in parts, its end after the `last` part. A sink that
  // writes as it goes need hold none of it; this one gathers the parts for WriteLine.
  virtual bool WriteLinePart(std::string_view part, bool last);

 private:
  GrowingText parts_;
};

// Where the phonebook's lines come from: each without its line end, a CR before the LF included.
// A line read stays valid until the next read, so that lines need not be copied on their way.
class LineSource {
 public:
  enum class Read { kLine, kEnd, kError };
  virtual ~LineSource() = default;
  virtual Read ReadLine(std::string_view& line) = 0;
  // Most of a phonebook lies outside the entry's section: the two copies below let a source
  // that holds many lines at once pass them on together, and a line too long to hold in parts.
  // Copies lines to `out` through the first that is `wanted` (not empty); kEnd when none is,
  // kError when a line could not be read or written.
  virtual Read CopyThroughLine(LineSink& out, std::string_view wanted);
  // Copies every line left to `out`; false when one could not be read or written.
  virtual bool CopyRest(LineSink& out);
};

// Copies `in` to `out`, setting the thirteen settings lines of the section headed
// "[entryName]" (the first such header, matched exactly), which runs to the next line that begins
// with "[" after leading blanks. Every line of the section that holds one of the keys (after
// leading blanks it begins with the key) becomes that setting's line, in any order and as often
// as the key stands there; a key the section lacks is skipped. No line outside the section is
// ever changed, and the patch holds no more than the line it is at.
// False, with the copy to be thrown away, when the header is missing, the section holds none of
// the keys, or a line could not be read or written.
bool PatchEntrySection(LineSource& in, LineSink& out, std::string_view entryName);
