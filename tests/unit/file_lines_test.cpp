#include <algorithm>
#include <optional>
#include <random>
#include <string>

#include "copy_patched.h"
#include "file_lines.h"
#include "platform.h"
#include "sim_test.h"
#include "text_lines.h"
#include "unique_handle.h"

namespace {

constexpr char kPhonebook[] = "C:\\pbk\\rasphone.pbk";
constexpr char kCopy[] = "C:\\pbk\\copy.pbk";
constexpr size_t kPiece = size_t{64} * 1024;  // what the file source reads at a time

class FileLinesTest : public SimTest {
 protected:
  // The patch through the files, which passes most lines on in whole pieces.
  std::optional<std::string> PatchFile(const std::string& phonebook) {
    winsim::AddFile(kPhonebook, phonebook);
    bool patched = false;
    {
      File in(CreateFileA(kPhonebook, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
      File out(CreateFileA(kCopy, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                           nullptr));
      EXPECT_TRUE(in && out);
      patched = CopyPatched(in.get(), out.get(), "GPRS Connection");
    }
    if (!patched) return std::nullopt;
    return winsim::FileContents(kCopy);
  }
};

// Takes a line in parts as they come, as the file sink does, and keeps the largest.
class PartsSink : public LineSink {
 public:
  bool Write(std::string_view bytes) override {
    largest = std::max(largest, bytes.size());
    // Bytes without a line end that go on with a line an earlier write began are one more part.
    if (!text.empty() && text.back() != '\n' && bytes.find('\n') == std::string_view::npos) ++parts;
    text.append(bytes);
    return true;
  }
  std::string text;
  size_t largest = 0;
  int parts = 0;
};

// A phonebook of random lines: headers, keys with and without leading blanks, LF and CR LF
// ends, stray CRs, empty and very long lines, the entry's header among them or not.
std::string RandomPhonebook(std::mt19937& random) {
  static const char* const kLines[] = {"[Home]",
                                       "[GPRS Connection]",
                                       " [GPRS Connection]",
                                       "[GPRS Connection]\r",
                                       "Protocol=1",
                                       "  Compression=1",
                                       "IpFrameSize=1006",
                                       "ConnectBPS=9600",
                                       "ms_msclient=1",
                                       "HwFlowControl=1",
                                       "PreviewUserPw=0",
                                       "IpNameAssign=2",
                                       "Encoding=1",
                                       "",
                                       "\r",
                                       "x[y]",
                                       "[",
                                       "PhoneNumber=*99#"};
  const size_t size = 3 * kPiece / 2 + random() % (3 * kPiece);
  std::string text;
  while (text.size() < size) {
    const unsigned pick = random() % 24;
    if (pick < std::size(kLines))
      text += kLines[pick];
    else if (pick < 23)
      text += std::string(random() % 90, static_cast<char>('a' + random() % 26));
    else
      text += std::string(random() % (2 * kPiece), 'L');
    text += random() % 5 == 0 ? "\n" : "\r\n";
  }
  if (random() % 2) text.resize(text.size() - 1 - random() % 2);  // a last line without an end
  return text;
}

TEST_F(FileLinesTest, WholePiecesGiveTheSameCopyAsLineByLine) {
  std::mt19937 random(20261208);
  int patched = 0;
  for (int round = 0; round < 60; ++round) {
    const std::string phonebook = RandomPhonebook(random);
    SCOPED_TRACE("round " + std::to_string(round) + ", " + std::to_string(phonebook.size()) +
                 " bytes");
    // The same patch line by line, which the pieces must match byte for byte.
    const std::optional<std::string> expected = PatchText(phonebook);
    ASSERT_EQ(PatchFile(phonebook), expected);
    // And through a source that holds a few bytes only, most lines going in parts.
    TextSource held(phonebook, -1, 1 + round % 97);
    TextSink sink;
    const bool heldPatched = PatchEntrySection(held, sink, "GPRS Connection");
    ASSERT_EQ(heldPatched ? std::optional(sink.text) : std::nullopt, expected);
    if (expected) ++patched;
  }
  // Both outcomes must have been met for the comparison to mean something.
  EXPECT_GT(patched, 5);
  EXPECT_LT(patched, 55);
}

TEST_F(FileLinesTest, LinesThatMeetTheEndOfAPieceAreCutNowhere) {
  const std::string entry = "[GPRS Connection]\r\nProtocol=1\r\n";
  const std::string patched = "[GPRS Connection]\r\nProtocol=0\r\n";
  // The header starts a piece, the header's CR ends one, or the LF before the header ends one.
  for (size_t gap : {size_t{0}, size_t{1}, size_t{2}, size_t{17}}) {
    SCOPED_TRACE("header " + std::to_string(gap) + " bytes before the end of a piece");
    std::string filler = "[Old]\r\n";
    filler += std::string(kPiece - gap - filler.size() - 2, 'f') + "\r\n";
    EXPECT_EQ(PatchFile(filler + entry + "Tail=1\n"), filler + patched + "Tail=1\r\n");
    EXPECT_EQ(PatchFile(filler + "\n" + entry), filler + "\r\n" + patched);
  }
}

// A line pieces long outside the section, before it, after it and last without an end, looks
// like the header and has CRs at the pieces' ends: inside it, before its LF, ending the file.
TEST_F(FileLinesTest, LongLinesOutsideTheSectionPassInParts) {
  const std::string line = "[GPRS Connection]" + std::string(kPiece - 18, 'x') + "\r" +
                           std::string(2 * kPiece - 1, 'y') + "\r";
  const std::string entry = "[GPRS Connection]\r\nProtocol=1\r\n";
  for (const std::string& phonebook :
       {line + "\n" + entry, entry + "[Next]\n" + line + "\nTail=1\n", entry + "[Next]\n" + line}) {
    const std::optional<std::string> expected = PatchText(phonebook);
    ASSERT_TRUE(expected);
    EXPECT_NE(expected->find("[GPRS Connection]\r\nProtocol=0\r\n"), std::string::npos);
    EXPECT_EQ(PatchFile(phonebook), expected);
    // The same through a sink that sees the parts, and through the one in memory.
    PartsSink parts;
    TextSink inMemory;
    for (LineSink* sink : {static_cast<LineSink*>(&parts), static_cast<LineSink*>(&inMemory)}) {
      File in(CreateFileA(kPhonebook, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr));
      FileLineSource source(in.get());
      EXPECT_TRUE(PatchEntrySection(source, *sink, "GPRS Connection"));
    }
    EXPECT_EQ(parts.text, *expected);
    EXPECT_EQ(inMemory.text, *expected);
    EXPECT_GE(parts.parts, 3);
    EXPECT_LE(parts.largest, kPiece);
  }
}

}  // namespace
