// The phonebook patch killed at any moment: afterwards the phonebook is byte for byte the one it
// was, or byte for byte the one a whole patch makes, never anything between. Each run patches a
// large phonebook in a child process, the program's own patch on real files, and kills the child
// after a delay drawn across the time a whole patch takes.
//   PATCH_KILL_SEED=n   draws the delays from another seed (each run prints its seed and delays)
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "entrymaker_machine.h"
#include "phonebook_editor.h"
#include "platform.h"
#include "unique_handle.h"
#include "winsim/control.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr char kPhonebookName[] = "rasphone.pbk";
constexpr char kEntryHeader[] = "[GPRS Connection]\r\n";

// Large enough that a patch takes a good part of a second, so that a kill can land in each of its
// steps: the copy, the flush, the replacing move.
constexpr size_t kOtherEntriesBytes = 32u << 20;
constexpr int kRuns = 40;
constexpr unsigned kDefaultSeed = 20240607;

bool WriteWhole(const char* path, const std::string& contents) {
  File file(
      CreateFileA(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  size_t at = 0;
  while (at < contents.size()) {
    const DWORD piece = static_cast<DWORD>(std::min<size_t>(contents.size() - at, 1u << 20));
    DWORD written = 0;
    if (!WriteFile(file.get(), contents.data() + at, piece, &written, nullptr) || written == 0)
      return false;
    at += written;
  }
  return true;
}

// What a patch that was stopped may leave beside the phonebook: the copy, the old phonebook under
// the backup's name, and the lock, which the system would remove with a killed process's
// handles, but the simulator cannot.
bool IsLeftover(const std::string& name) {
  return name == "rasphone.new" || name == "rasphone.old" || name == "rasphone.lck";
}

struct FolderLook {
  bool phonebook = false;
  std::vector<std::string> leftovers;
  std::vector<std::string> others;  // anything a patch has no business leaving there
};

FolderLook LookInFolder() {
  FolderLook look;
  for (const std::string& name : winsim::FilesIn(kPbkFolder)) {
    if (name == kPhonebookName)
      look.phonebook = true;
    else if (IsLeftover(name))
      look.leftovers.push_back(name);
    else
      look.others.push_back(name);
  }
  return look;
}

// The patch in a child of its own, with an editor that ends before the child does, as the
// program's does.
pid_t StartPatch() {
  (void)std::fflush(nullptr);
  const pid_t child = fork();
  if (child == 0) {
    bool patched = false;
    {
      PhonebookEditor editor;
      patched = editor.PatchPhonebook();
    }
    _exit(patched ? 0 : 1);
  }
  return child;
}

// The child's status once it has ended; false when it cannot be waited for.
bool Reap(pid_t child, int& status) {
  for (;;) {
    if (waitpid(child, &status, 0) == child) return true;
    if (errno != EINTR) return false;
  }
}

double Seconds(Clock::duration duration) {
  return std::chrono::duration<double>(duration).count();
}

// How a file compares with the two phonebooks it may be: how many of its first bytes match each.
struct Comparison {
  bool read = false;
  size_t size = 0;
  size_t sameAsOriginal = 0;
  size_t sameAsPatched = 0;
  bool Is(const std::string& expected, size_t same) const {
    return read && size == expected.size() && same == expected.size();
  }
};

size_t MatchingFrom(const std::string& expected, size_t at, const char* piece, size_t length) {
  const size_t comparable = at < expected.size() ? std::min(length, expected.size() - at) : 0;
  if (comparable == 0) return 0;
  if (std::memcmp(expected.data() + at, piece, comparable) == 0) return comparable;
  return static_cast<size_t>(std::mismatch(piece, piece + comparable, expected.data() + at).first -
                             piece);
}

// Reads the file a piece at a time: the parent's large strings are shared with each child it
// forks, and filling one of them again would copy it a page at a time.
Comparison CompareFile(const char* path, const std::string& original, const std::string& patched) {
  Comparison comparison;
  File file(
      CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return comparison;
  std::vector<char> piece(1u << 20);
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file.get(), piece.data(), static_cast<DWORD>(piece.size()), &read, nullptr))
      return comparison;
    if (read == 0) break;
    if (comparison.sameAsOriginal == comparison.size)
      comparison.sameAsOriginal += MatchingFrom(original, comparison.size, piece.data(), read);
    if (comparison.sameAsPatched == comparison.size)
      comparison.sameAsPatched += MatchingFrom(patched, comparison.size, piece.data(), read);
    comparison.size += read;
  }
  comparison.read = true;
  return comparison;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

class PatchKillTest : public ::testing::Test {
 protected:
  void SetUp() override {
    winsim::Reset();
    // A few hundred thousand calls per run would only slow every child down.
    winsim::SetCallLogging(false);
    SetUpEntryMakerMachine();
  }
  // Takes the machine's folder, and the phonebooks in it, away with it.
  void TearDown() override {
    EXPECT_EQ(winsim::OpenHandles(), 0);
    winsim::Reset();
  }
};

TEST_F(PatchKillTest, ThePhonebookIsAsItWasOrWhollyPatchedWheneverThePatchIsKilled) {
  std::string others;
  others.reserve(kOtherEntriesBytes + 4096);
  for (int number = 0; others.size() < kOtherEntriesBytes; ++number) others += OtherEntry(number);
  winsim::AddFile(kPhonebook, others);
  others = std::string();

  // The entry made by the remote-access service comes last, behind thousands of others, so that
  // the patch copies the whole phonebook before it reaches the lines it sets.
  PhonebookEditor editor;
  ASSERT_TRUE(editor.CreateEntry(RASIPADDR{0, 0, 0, 0}));
  std::optional<std::string> made = winsim::FileContents(kPhonebook);
  ASSERT_TRUE(made.has_value());
  const std::string original = std::move(*made);
  const size_t section = original.rfind(kEntryHeader);
  ASSERT_NE(section, std::string::npos);
  ASSERT_GE(section, kOtherEntriesBytes);

  // Whole patches first: they give the only other phonebook a killed patch may leave, and the
  // time over which the kills are spread.
  std::string patched;
  std::vector<double> wholeSeconds;
  for (int whole = 0; whole < 3; ++whole) {
    ASSERT_TRUE(WriteWhole(kPhonebook, original));
    const Clock::time_point start = Clock::now();
    const pid_t child = StartPatch();
    ASSERT_GT(child, 0);
    int status = 0;
    ASSERT_TRUE(Reap(child, status));
    wholeSeconds.push_back(Seconds(Clock::now() - start));
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a whole patch failed";
    std::optional<std::string> result = winsim::FileContents(kPhonebook);
    ASSERT_TRUE(result.has_value());
    if (whole == 0) {
      patched = std::move(*result);
    } else {
      ASSERT_TRUE(*result == patched) << "two whole patches differ";
    }
    const FolderLook look = LookInFolder();
    ASSERT_TRUE(look.phonebook && look.leftovers.empty() && look.others.empty())
        << "a whole patch left more than the phonebook";
  }
  // The patch changes the entry's section and nothing before it.
  ASSERT_FALSE(patched == original);
  ASSERT_EQ(patched.compare(0, section, original, 0, section), 0);
  ASSERT_EQ(patched.compare(section, sizeof kEntryHeader - 1, kEntryHeader), 0);
  ASSERT_NE(patched.find("\r\nConnectBPS=115200\r\n", section), std::string::npos);
  ASSERT_NE(patched.find("\r\nNegotiateMultilinkAlways=0\r\n", section), std::string::npos);

  const double wholePatch = Median(wholeSeconds);
  const char* seedText = std::getenv("PATCH_KILL_SEED");
  const unsigned seed =
      seedText ? static_cast<unsigned>(std::strtoul(seedText, nullptr, 10)) : kDefaultSeed;
  std::printf("phonebook %zu bytes, seed %u; whole patches took %.0f, %.0f and %.0f ms\n",
              original.size(), seed, wholeSeconds[0] * 1000, wholeSeconds[1] * 1000,
              wholeSeconds[2] * 1000);

  // The first runs kill the child as soon as it is there, the last ones well after a whole patch
  // would have ended. Between them, half the kills fall anywhere before the copy is moved over
  // the phonebook, and half close around that move: the moment of the move is learnt run by run,
  // later after a kill that left the phonebook as it was, earlier after one that found it patched.
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> beforeTheMove(0.0, 1.0);
  std::uniform_real_distribution<double> aroundTheMove(0.95, 1.05);
  double move = wholePatch;
  const double earlyDelays[] = {0.0, 0.001};
  const double lateDelays[] = {1.5 * wholePatch, 3.0 * wholePatch};
  constexpr int kEarly = sizeof earlyDelays / sizeof earlyDelays[0];
  constexpr int kLate = sizeof lateDelays / sizeof lateDelays[0];

  int unchanged = 0, killedUnchanged = 0, patchedRuns = 0, killedPatched = 0, finished = 0;
  int runsLeavingTemps = 0, tempsLeft = 0;
  bool phonebookIsOriginal = false;
  for (int run = 0; run < kRuns; ++run) {
    if (!phonebookIsOriginal) {
      ASSERT_TRUE(WriteWhole(kPhonebook, original));
    }
    const bool nearTheMove = run >= kEarly && run < kRuns - kLate && run % 2;
    const double seconds = run < kEarly           ? earlyDelays[run]
                           : run >= kRuns - kLate ? lateDelays[run - (kRuns - kLate)]
                           : nearTheMove          ? move * aroundTheMove(random)
                                                  : move * beforeTheMove(random);
    const auto delay =
        std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(seconds));

    const Clock::time_point start = Clock::now();
    const pid_t child = StartPatch();
    ASSERT_GT(child, 0);
    if (seconds > 0) std::this_thread::sleep_until(start + delay);
    const double killedAt = Seconds(Clock::now() - start);
    kill(child, SIGKILL);
    int status = 0;
    ASSERT_TRUE(Reap(child, status));
    const bool killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
    if (!killed) {
      ++finished;
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
          << "run " << run << ": a patch nobody stopped failed";
    }

    // What the killed patch left is put right by the next run, which begins by reclaiming the
    // folder; only then is the phonebook looked at.
    const FolderLook look = LookInFolder();
    for (const std::string& name : look.others)
      ADD_FAILURE() << "run " << run << ": " << name << " left beside the phonebook";
    {
      PhonebookEditor next;
      EXPECT_TRUE(next.Reclaim()) << "run " << run;
    }
    const FolderLook reclaimed = LookInFolder();
    ASSERT_TRUE(reclaimed.phonebook) << "run " << run << ": the phonebook is gone";
    EXPECT_TRUE(reclaimed.leftovers.empty() && reclaimed.others.empty())
        << "run " << run << ": the next run left more than the phonebook";
    const Comparison found = CompareFile(kPhonebook, original, patched);
    ASSERT_TRUE(found.read) << "run " << run << ": the phonebook cannot be read";
    const char* state = "neither as it was nor wholly patched";
    phonebookIsOriginal = found.Is(original, found.sameAsOriginal);
    const bool phonebookIsPatched = found.Is(patched, found.sameAsPatched);
    if (phonebookIsOriginal) {
      state = "as it was";
      ++unchanged;
      killedUnchanged += killed;
    } else if (phonebookIsPatched) {
      state = "wholly patched";
      ++patchedRuns;
      killedPatched += killed;
    } else {
      ADD_FAILURE() << "run " << run << ", kill at " << killedAt << " s: the phonebook ("
                    << found.size << " bytes) is " << state << "; its first "
                    << found.sameAsOriginal << " bytes are the original's, its first "
                    << found.sameAsPatched << " the patched one's";
    }
    if (!killed) {
      EXPECT_TRUE(phonebookIsPatched) << "run " << run << ": a patch that ended left " << state;
      EXPECT_TRUE(look.leftovers.empty()) << "run " << run << ": a patch that ended left its copy";
    }
    if (nearTheMove) move *= phonebookIsOriginal ? 1.04 : 0.96;
    std::printf(
        "run %2d: kill at %6.1f ms (%.2f of a whole patch): %s, phonebook %s, %zu files "
        "reclaimed\n",
        run, killedAt * 1000, killedAt / wholePatch, killed ? "killed" : "had ended", state,
        look.leftovers.size());
    if (!look.leftovers.empty()) ++runsLeavingTemps;
    tempsLeft += static_cast<int>(look.leftovers.size());
  }

  std::printf(
      "runs %d: phonebook as it was %d (%d killed), wholly patched %d (%d killed, %d "
      "ended before the kill); files reclaimed %d after %d runs\n",
      kRuns, unchanged, killedUnchanged, patchedRuns, killedPatched, finished, tempsLeft,
      runsLeavingTemps);
  EXPECT_EQ(unchanged + patchedRuns, kRuns);
  // Both sides of the replacing move were reached, and kills did land inside patches.
  EXPECT_GT(killedUnchanged, 0);
  EXPECT_GT(patchedRuns, 0);
}

}  // namespace
