// GprsKit.exe: the console program around RunGprsKit.
#include <cstdio>

#include "dll_search.h"
#include "kit_modems.h"
#include "unique_handle.h"
#include "verb_steps.h"
#include "verbs.h"

namespace {

// The C run time's streams: text mode gives each line the CR LF of a Windows text file, which is
// what a deployment tool's log or a redirected file holds. The last text said is kept for the log.
class StandardConsole : public Console {
 public:
  void Line(const char* text) override {
    Write(stdout, text);
    Keep(text);
  }
  void Error(const char* text) override {
    Write(stderr, text);
    Keep(text);
  }
  void Aside(const char* text) override { Write(stderr, text); }
  // What was said last; "" when nothing was, or no memory was left to keep it.
  const char* last() const { return last_.View().empty() ? "" : last_.View().data(); }

 private:
  // A stream no one reads (a deployment tool may start the tool without one) leaves no one to
  // tell; the exit code still says it all.
  static void Write(FILE* stream, const char* text) {
    (void)std::fputs(text, stream);
    (void)std::fputc('\n', stream);
    (void)std::fflush(stream);
  }
  void Keep(const char* text) {
    last_.Clear();
    if (!last_.Append(text) || !last_.Append(kTextEnd)) last_.Clear();
  }
  GrowingText last_;
};

constexpr char kLogOption[] = "/log:";
constexpr size_t kLogOptionLength = sizeof kLogOption - 1;

// A caller that starts the tool hidden, as the installer does, gets no exit code: with
// "/log:FILE" the run adds one line to FILE, its exit code first, then the command and what the
// tool said last. False, with the reason's code kept, when the line is not in the file.
bool AddToLog(const char* log, int code, int argc, char* const* argv, const char* said) {
  char number[11];
  Decimal(code < 0 ? 0u : static_cast<unsigned>(code), number);
  GrowingText line;
  bool whole = line.Append(number);
  for (int i = 0; i < argc; ++i) whole = whole && line.Append(" ") && line.Append(argv[i]);
  whole = whole && line.Append(": ") && line.Append(said) && line.Append("\r\n");
  if (!whole) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return false;
  }
  // Added at the end whatever else writes to it; a file that cannot be opened stays as it is.
  File file(CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ, nullptr, OPEN_ALWAYS,
                        FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  DWORD written = 0;
  if (!WriteFile(file.get(), line.View().data(), static_cast<DWORD>(line.View().size()), &written,
                 nullptr))
    return false;
  if (written == line.View().size()) return true;
  SetLastError(ERROR_WRITE_FAULT);
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  // Before anything else runs that could load a DLL by its name.
  RestrictDllSearch();
  // The log option may stand anywhere; the verbs never see it.
  const char* log = nullptr;
  int count = 0;
  for (int i = 1; i < argc; ++i) {
    if (SameNoCase(std::string_view(argv[i]).substr(0, kLogOptionLength), kLogOption))
      log = argv[i] + kLogOptionLength;
    else
      argv[1 + count++] = argv[i];
  }
  StandardConsole console;
  const int code = RunGprsKit(count, argv + 1, console);
  // The caller reads the run's outcome from the log: a log without its line is said, on the error
  // stream alone, so that the verb's own last words and exit code stay as they were.
  if (log && !(*log && AddToLog(log, code, count, argv + 1, console.last()))) {
    char reason[kTextCapacity];
    SystemReason(*log ? GetLastError() : ERROR_INVALID_NAME, reason);
    console.Aside(Words({"The log \"", log, "\" could not be written: ", reason}).Text());
  }
  return code;
}
