// How the phonebook patch scales: a phonebook of thousands of entries with the GPRS entry last,
// patched in a process of its own, against a plain copy of the same file. Prints the figures.
//   phonebook_bench              runs the whole measurement
//   phonebook_bench patch FILE   patches FILE and prints its time and peak memory
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "entrymaker_machine.h"
#include "phonebook_files.h"
#include "platform.h"
#include "unique_handle.h"
#include "winsim/control.h"

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// The same patch the program runs, on the host's own files.
int PatchOnly(const std::string& path) {
  winsim::SetCallLogging(false);
  const auto start = std::chrono::steady_clock::now();
  File in(CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                      FILE_ATTRIBUTE_NORMAL, nullptr));
  const std::string copyPath = path + ".new";
  File out(CreateFileA(copyPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                       FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!in || !out) return 2;
  if (!CopyPatched(in.get(), out.get(), "GPRS Connection")) return 3;
  in.Reset();
  out.Reset();
  if (!MoveFileExA(copyPath.c_str(), path.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return 4;
  rusage usage = {};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("%.3f %ld\n", Seconds(start), usage.ru_maxrss);
  return 0;
}

void MakePhonebook(const std::string& path, size_t bytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  size_t written = 0;
  for (int number = 0; written < bytes; ++number) {
    const std::string entry = OtherEntry(number);
    file << entry;
    written += entry.size();
  }
  const std::string last = OtherEntry(-1);
  file << "[GPRS Connection]" << last.substr(last.find(']') + 1);
}

// Runs this program's patch on `path` in a child, so that its peak memory is its own.
bool MeasurePatch(const char* self, const std::string& path, double& seconds, long& peakKb) {
  const std::string command = std::string(self) + " patch " + path;
  FILE* child = popen(command.c_str(), "r");
  if (!child) return false;
  const bool read = std::fscanf(child, "%lf %ld", &seconds, &peakKb) == 2;
  return pclose(child) == 0 && read;
}

// The copies the patch is held against, each of the same file:
enum class Copy {
  kPlain,     // cp to a new file, left in the cache
  kFlushed,   // and flushed to disk, as the patch flushes its copy
  kReplacing  // and moved over the original, as the patch's copy takes the phonebook's place
};

double TimeCopy(Copy kind, const std::string& path) {
  const std::string copy = path + ".copy";
  std::string command = "cp " + path + " " + copy;
  if (kind != Copy::kPlain) command += " && sync " + copy;
  if (kind == Copy::kReplacing) command += " && mv " + copy + " " + path;
  const auto start = std::chrono::steady_clock::now();
  if (std::system(command.c_str()) != 0) return -1;
  const double seconds = Seconds(start);
  (void)std::remove(copy.c_str());
  return seconds;
}

// Every figure is the best of a few runs, so that a busy machine disturbs it less.
constexpr int kRuns = 3;

double BestCopy(Copy kind, const std::string& path) {
  double best = 1e9;
  for (int run = 0; run < kRuns; ++run) best = std::min(best, TimeCopy(kind, path));
  return best;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "patch") return PatchOnly(argv[2]);
  char folder[] = "/tmp/phonebook-bench.XXXXXX";
  if (!mkdtemp(folder)) return 1;
  std::printf("%-10s %8s %8s %9s %12s %9s %15s %9s\n", "phonebook", "patch s", "cp s", "cp+sync s",
              "cp+sync+mv s", "patch/cp", "patch/cp+sync+mv", "peak KB");
  long peaks[2] = {};
  const size_t sizes[2] = {2u << 20, 200u << 20};
  for (int i = 0; i < 2; ++i) {
    const std::string path = std::string(folder) + "/rasphone.pbk";
    MakePhonebook(path, sizes[i]);
    // A phonebook at rest is on disk, not waiting in the cache to be written.
    if (std::system(("sync " + path).c_str()) != 0) return 1;
    const double plain = BestCopy(Copy::kPlain, path);
    const double flushed = BestCopy(Copy::kFlushed, path);
    const double replacing = BestCopy(Copy::kReplacing, path);
    double best = 1e9;
    for (int run = 0; run < kRuns; ++run) {
      double seconds = 0;
      if (!MeasurePatch(argv[0], path, seconds, peaks[i])) {
        std::printf("the patch failed on %zu MB\n", sizes[i] >> 20);
        return 1;
      }
      best = std::min(best, seconds);
    }
    std::printf("%7zu MB %8.3f %8.3f %9.3f %12.3f %9.2f %15.2f %9ld\n", sizes[i] >> 20, best, plain,
                flushed, replacing, best / plain, best / replacing, peaks[i]);
    (void)std::remove(path.c_str());
  }
  std::printf("peak memory, 200 MB against 2 MB: %+ld KB\n", peaks[1] - peaks[0]);
  rmdir(folder);
  return 0;
}
