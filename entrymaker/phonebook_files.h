// The phonebook's lines read from, and the copy's lines written to, open files.
#pragma once

#include "growing_text.h"
#include "platform.h"
#include "section_patch.h"

// Reads lines in large pieces; a line ends at LF, and a CR right before it belongs to the end.
// Only a line read with ReadLine that is longer than a piece is held whole: the two copies pass
// such a line on piece by piece, so that a huge line outside the entry's section costs no memory.
class FileLineSource : public LineSource {
 public:
  explicit FileLineSource(HANDLE file) : file_(file) {}
  Read ReadLine(std::string_view& line) override;
  // Both pass on the whole lines of each piece read at once.
  Read CopyThroughLine(LineSink& out, std::string_view wanted) override;
  bool CopyRest(LineSink& out) override;

 private:
  // Reads on until the line where reading stands ends in the buffer (`lineEnd` at its LF),
  // fills the whole buffer, or is the file's last; false when the file could not be read.
  bool FillLine(const char*& lineEnd);
  // The next line and past it, `whole` false when it runs past the full buffer: `line` is then
  // the part the buffer holds, its rest still to be read.
  Read NextLine(std::string_view& line, bool& whole);
  // Reads the next piece of the file in place of the buffer, all of which is used.
  bool ReadPiece();
  // The rest of a line NextLine gave in part, `part` being that part: held whole, or passed on
  // to `out` piece by piece.
  Read HoldLongLine(std::string_view& part);
  bool CopyLongLine(LineSink& out, std::string_view part);
  // Passes on the whole lines from where reading stands up to `stop`; false when they could
  // not be written.
  bool PassOn(LineSink& out, const char* stop);
  HANDLE file_;
  GrowingText carried_;  // a line of the entry's section longer than the buffer
  char buffer_[64 * 1024];
  DWORD filled_ = 0;
  DWORD at_ = 0;
  bool ended_ = false;
};

// Writes lines with CR LF in large pieces. Finish writes what is left and flushes the file to
// disk; a copy is complete only when it returned true.
class FileLineSink : public LineSink {
 public:
  explicit FileLineSink(HANDLE file) : file_(file) {}
  bool WriteLine(std::string_view line) override;
  // Lines that already end in CR LF go out as they are, without being taken apart.
  bool WriteLines(std::string_view lines) override;
  bool WriteLinePart(std::string_view part, bool last) override;
  bool Finish();

 private:
  bool WritePending();
  bool Append(const char* data, size_t size);
  bool WriteAll(const char* data, size_t size);

  HANDLE file_;
  char pending_[64 * 1024];
  size_t filled_ = 0;
};

// Copies the open `phonebook` to the open `copy`, setting the entry's lines, and flushes the copy
// to disk; false, with the copy to be thrown away, when any of it failed.
bool CopyPatched(HANDLE phonebook, HANDLE copy, std::string_view entryName);
