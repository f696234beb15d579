// GprsKit.exe: the console program around RunGprsKit.
#include <cstdio>

#include "dll_search.h"
#include "verbs.h"

namespace {

// The C run time's streams: text mode gives each line the CR LF of a Windows text file, which is
// what a deployment tool's log or a redirected file holds.
class StandardConsole : public Console {
 public:
  void Line(const char* text) override { Write(stdout, text); }
  void Error(const char* text) override { Write(stderr, text); }

 private:
  static void Write(FILE* stream, const char* text) {
    std::fputs(text, stream);
    std::fputc('\n', stream);
    std::fflush(stream);
  }
};

}  // namespace

int main(int argc, char** argv) {
  // Before anything else runs that could load a DLL by its name.
  RestrictDllSearch();
  StandardConsole console;
  return RunGprsKit(argc - 1, argv + 1, console);
}
