// Where the copy's lines go, each ending with CR LF.
#pragma once

#include <string_view>

// A sink only takes bytes; the lines are made of them here, once for every kind of sink.
class LineSink {
 public:
  virtual ~LineSink() = default;
  // Takes `bytes` as they stand; false when they could not be written.
  virtual bool Write(std::string_view bytes) = 0;

  // Writes `line` followed by CR LF.
  bool WriteLine(std::string_view line);
  // Writes whole lines at once: `lines` ends with LF, and a CR right before an LF belongs to the
  // line's end. Text whose ends are all CR LF already goes out as it stands, without being taken
  // apart.
  bool WriteLines(std::string_view lines);
};
