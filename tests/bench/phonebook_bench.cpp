// How the phonebook patch scales: a phonebook of thousands of entries with the GPRS entry last,
// patched in a process of its own, against a plain copy of the same file; and a small phonebook
// behind one huge line, which must cost no more memory than the small one. Prints the figures.
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
#include <iterator>
#include <string>

#include "entrymaker_machine.h"
#include "platform.h"
#include "section_patch.h"
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
  // The program's swap: the phonebook to the backup's name, the copy to the phonebook's.
  const std::string backupPath = path + ".old";
  if (!ReplaceFileA(path.c_str(), copyPath.c_str(), backupPath.c_str(), 0, nullptr, nullptr) ||
      !DeleteFileA(backupPath.c_str()))
    return 4;
  rusage usage = {};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("%.3f %ld\n", Seconds(start), usage.ru_maxrss);
  return 0;
}

// `bytes` of entries, behind one line of `lineBytes` with no LF inside it when that is not 0.
void MakePhonebook(const std::string& path, size_t bytes, size_t lineBytes) {
  std::ofstream file(path, std::ios::binary | std::ios::trunc);
  if (lineBytes > 0) {
    const std::string part(1u << 20, 'x');
    file << ';';
    for (size_t at = 1; at < lineBytes; at += part.size())
      file.write(part.data(), static_cast<std::streamsize>(std::min(part.size(), lineBytes - at)));
    file << "\r\n";
  }
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
  struct Row {
    const char* name;
    size_t bytes;
    size_t lineBytes;
  };
  const Row rows[] = {
      {"2 MB", 2u << 20, 0}, {"200 MB", 200u << 20, 0}, {"256MB line", 2u << 20, 256u << 20}};
  long peaks[std::size(rows)] = {};
  double ratios[std::size(rows)] = {};
  for (size_t i = 0; i < std::size(rows); ++i) {
    const std::string path = std::string(folder) + "/rasphone.pbk";
    MakePhonebook(path, rows[i].bytes, rows[i].lineBytes);
    // A phonebook at rest is on disk, not waiting in the cache to be written.
    if (std::system(("sync " + path).c_str()) != 0) return 1;
    const double plain = BestCopy(Copy::kPlain, path);
    const double flushed = BestCopy(Copy::kFlushed, path);
    const double replacing = BestCopy(Copy::kReplacing, path);
    double best = 1e9;
    for (int run = 0; run < kRuns; ++run) {
      double seconds = 0;
      if (!MeasurePatch(argv[0], path, seconds, peaks[i])) {
        std::printf("the patch failed on %s\n", rows[i].name);
        return 1;
      }
      best = std::min(best, seconds);
    }
    ratios[i] = best / replacing;
    std::printf("%10s %8.3f %8.3f %9.3f %12.3f %9.2f %15.2f %9ld\n", rows[i].name, best, plain,
                flushed, replacing, best / plain, ratios[i], peaks[i]);
    (void)std::remove(path.c_str());
  }
  std::printf("peak memory, 200 MB against 2 MB: %+ld KB\n", peaks[1] - peaks[0]);
  std::printf(
      "peak memory, 256 MB line against 2 MB: %+ld KB (at most 1024), time %.2fx cp+sync+mv"
      " (at most 1.20)\n",
      peaks[2] - peaks[0], ratios[2]);
  rmdir(folder);
  return 0;
}
