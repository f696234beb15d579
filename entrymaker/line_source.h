// Where the phonebook's lines come from, and the copies that pass most of them on untouched.
#pragma once

#include <string_view>

#include "growing_text.h"
#include "line_sink.h"

// A source only hands out runs of the bytes it holds; the lines are found in them here, once for
// every kind of source. A line ends at LF, and a CR right before the LF belongs to its end; a last
// line without an LF is a line all the same, a CR at its end kept.
class LineSource {
 public:
  enum class Read { kLine, kEnd, kError };
  virtual ~LineSource() = default;

  // The next line without its end. It stays valid until the next read, so that lines need not be
  // copied on their way; a line longer than a run is gathered whole.
  Read ReadLine(std::string_view& line);
  // Most of a phonebook lies outside the entry's section: the two copies below pass the lines of
  // a run on together, and a line longer than a run part by part, so that it costs no memory.
  // Copies lines to `out` through the first that is `wanted` (not empty); kEnd when none is,
  // kError when a line could not be read or written.
  Read CopyThroughLine(LineSink& out, std::string_view wanted);
  // Copies every line left to `out`; false when one could not be read or written.
  bool CopyRest(LineSink& out);

 protected:
  // The next run of bytes, valid until the next call and never empty: lines, each ending with LF,
  // the first finishing a line begun in the runs before; or, of a line too long for the source to
  // hold or the last one without an LF, a part with no LF in it. kEnd once all is handed out.
  virtual Read NextRun(std::string_view& run) = 0;

 private:
  // The rest of the last run when some is left, or else the next run.
  Read TakeRun(std::string_view& run);
  // The line begun by `part` gathered whole into `line`, or, `whole` false, as much of it as is
  // gathered when that grew longer than `limit` before the line ended.
  Read GatherLine(std::string_view part, size_t limit, std::string_view& line, bool& whole);
  // Passes the line begun by `part`, whose earlier parts are written, on to `out` part by part.
  bool CopyLongLine(LineSink& out, std::string_view part);

  std::string_view rest_;  // the lines of the last run not yet taken
  GrowingText gathered_;   // a line gathered from parts
};
