// GprsKit.exe: the console program around RunGprsKit.
#include <cstdio>

#include "dll_search.h"
#include "log_option.h"

namespace {

// The C run time's streams: text mode gives each line the CR LF of a Windows text file, which is
// what a deployment tool's log or a redirected file holds.
class StandardConsole : public Console {
 public:
  void Line(const char* text) override { Write(stdout, text); }
  void Error(const char* text) override { Write(stderr, text); }

 private:
  // A stream no one reads (a deployment tool may start the tool without one) leaves no one to
  // tell; the exit code still says it all.
  static void Write(FILE* stream, const char* text) {
    (void)std::fputs(text, stream);
    (void)std::fputc('\n', stream);
    (void)std::fflush(stream);
  }
};

}  // namespace

int main(int argc, char** argv) {
  // Before anything else runs that could load a DLL by its name.
  RestrictDllSearch();
  StandardConsole console;
  return RunGprsKitWithLog(argc - 1, argv + 1, console);
}
