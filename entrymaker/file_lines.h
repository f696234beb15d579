// The phonebook's lines read from, and the copy's lines written to, open files.
#pragma once

#include <string_view>

#include "line_sink.h"
#include "line_source.h"
#include "platform.h"

// Reads the file in large pieces and hands out the whole lines of each. A line shorter than the
// buffer always ends in it; a longer one goes out a buffer at a time.
class FileLineSource : public LineSource {
 public:
  explicit FileLineSource(HANDLE file) : file_(file) {}

 private:
  Read NextRun(std::string_view& run) override;
  // Moves what is not handed out to the buffer's start and reads on behind it; false when the
  // file could not be read.
  bool ReadOn();

  HANDLE file_;
  char buffer_[64 * 1024];
  DWORD filled_ = 0;
  DWORD at_ = 0;  // what is handed out ends here
  bool ended_ = false;
};

// Writes in large pieces. Finish writes what is left and flushes the file to disk; a copy is
// complete only when it returned true.
class FileLineSink : public LineSink {
 public:
  explicit FileLineSink(HANDLE file) : file_(file) {}
  bool Write(std::string_view bytes) override;
  bool Finish();

 private:
  bool WritePending();
  bool WriteAll(const char* data, size_t size);

  HANDLE file_;
  char pending_[64 * 1024];
  size_t filled_ = 0;
};
