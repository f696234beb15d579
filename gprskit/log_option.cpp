#include "log_option.h"

#include "kit_modems.h"
#include "unique_handle.h"
#include "verb_steps.h"

namespace {

constexpr std::string_view kLogOption("/log:");

// Passes every line on, and keeps the last one that says an outcome: the log's last words.
class KeepingConsole : public Console {
 public:
  explicit KeepingConsole(Console& console) : console_(console) {}
  void Line(const char* text) override {
    console_.Line(text);
    Keep(text);
  }
  void Error(const char* text) override {
    console_.Error(text);
    Keep(text);
  }
  void Aside(const char* text) override { console_.Aside(text); }
  // What was said last; "" when nothing was, or no memory was left to keep it.
  const char* Last() const { return last_.View().empty() ? "" : last_.View().data(); }

 private:
  void Keep(const char* text) {
    last_.Clear();
    if (!last_.Append(text) || !last_.Append(kTextEnd)) last_.Clear();
  }
  Console& console_;
  GrowingText last_;
};

// False, with the reason's code kept, when the line is not in the file.
bool AddToLog(const char* log, int code, int argc, const char* const* argv, const char* said) {
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

int RunGprsKitWithLog(int argc, char** argv, Console& console) {
  const char* log = nullptr;
  int count = 0;
  for (int i = 0; i < argc; ++i) {
    if (SameNoCase(std::string_view(argv[i]).substr(0, kLogOption.size()), kLogOption))
      log = argv[i] + kLogOption.size();
    else
      argv[count++] = argv[i];
  }
  KeepingConsole keeping(console);
  const int code = RunGprsKit(count, argv, keeping);
  if (log && !(*log && AddToLog(log, code, count, argv, keeping.Last()))) {
    char reason[kTextCapacity];
    SystemReason(*log ? GetLastError() : ERROR_INVALID_NAME, reason);
    console.Aside(Words({"The log \"", log, "\" could not be written: ", reason}).Text());
  }
  return code;
}
