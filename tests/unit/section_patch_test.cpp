#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <utility>

#include "platform.h"
#include "section_patch.h"
#include "sim_test.h"
#include "text_lines.h"

namespace {

class SectionPatchTest : public SimTest {};

// An entry as the remote-access service writes it: the settings in its order, with the lines
// whose keys end with the text of another key; Windows XP writes "IpFrameSize=", Vista and later
// do not.
std::string Entry(const std::string& name, bool withFrameSize) {
  return "[" + name +
         "]\r\nEncoding=1\r\nSwCompression=1\r\nNegotiateMultilinkAlways=1\r\n"
         "BindMsNetClient=1\r\nPreferredProtocol=1\r\nPreferredCompression=1\r\nPreviewUserPw=0\r\n"
         "ShowDialingProgress=0\r\nShowMonitorIconInTaskBar=0\r\nIpPrioritizeRemote=1\r\n"
         "IpHeaderCompression=1\r\nIpNameAssign=2\r\n" +
         (withFrameSize ? "IpFrameSize=1006\r\n" : "") +
         "IpDnsSuffix=\r\n\r\nNETCOMPONENTS=\r\nms_server=0\r\nms_msclient=1\r\n\r\n"
         "MEDIA=serial\r\nPort=COM4\r\nDevice=GPRS Modem\r\nConnectBPS=9600\r\n\r\n"
         "DEVICE=modem\r\nPhoneNumber=*99*1,1#\r\nHwFlowControl=1\r\nProtocol=1\r\n"
         "Compression=1\r\nSpeaker=1\r\n\r\n";
}

// The same entry after the patch.
std::string Patched(bool withFrameSize) {
  return "[GPRS Connection]\r\nEncoding=1\r\nSwCompression=1\r\nNegotiateMultilinkAlways=0\r\n"
         "BindMsNetClient=0\r\nPreferredProtocol=1\r\nPreferredCompression=1\r\nPreviewUserPw=1\r\n"
         "ShowDialingProgress=1\r\nShowMonitorIconInTaskBar=1\r\nIpPrioritizeRemote=1\r\n"
         "IpHeaderCompression=0\r\nIpNameAssign=1\r\n" +
         std::string(withFrameSize ? "IpFrameSize=0\r\n" : "") +
         "IpDnsSuffix=\r\n\r\nNETCOMPONENTS=\r\nms_server=0\r\nms_msclient=0\r\n\r\n"
         "MEDIA=serial\r\nPort=COM4\r\nDevice=GPRS Modem\r\nConnectBPS=115200\r\n\r\n"
         "DEVICE=modem\r\nPhoneNumber=*99*1,1#\r\nHwFlowControl=0\r\nProtocol=0\r\n"
         "Compression=0\r\nSpeaker=1\r\n\r\n";
}

TEST_F(SectionPatchTest, PatchesTheEntryAsOldAndNewWindowsWriteIt) {
  for (bool withFrameSize : {true, false}) {
    SCOPED_TRACE(withFrameSize ? "Windows XP" : "Windows 10");
    const std::string before = Entry("Office VPN", withFrameSize);
    const std::string after = Entry("Home", withFrameSize);
    std::string phonebook = before;
    phonebook += Entry("GPRS Connection", withFrameSize);
    phonebook += after;
    std::string patched = before;
    patched += Patched(withFrameSize);
    patched += after;
    EXPECT_EQ(PatchText(phonebook), patched);
  }
}

TEST_F(SectionPatchTest, NeverTouchesAnotherEntry) {
  // The entry lacks every key but one: the others are not looked for in the next entry.
  const std::string next = Entry("Home", true);
  EXPECT_EQ(PatchText("[GPRS Connection]\r\nConnectBPS=9600\r\n" + next),
            "[GPRS Connection]\r\nConnectBPS=115200\r\n" + next);
  // An entry with none of the keys is not patched at all.
  EXPECT_EQ(PatchText("[GPRS Connection]\r\nEncoding=1\r\n" + next), std::nullopt);
  EXPECT_EQ(PatchText("[GPRS Connection]"), std::nullopt);  // the header as the last line
}

TEST_F(SectionPatchTest, FindsOnlyTheExactFirstHeader) {
  const std::string entry = "[GPRS Connection]\r\nProtocol=1\r\n";
  EXPECT_EQ(PatchText("[gprs connection]\r\nProtocol=1\r\n"), std::nullopt);
  EXPECT_EQ(PatchText(" [GPRS Connection]\r\nProtocol=1\r\n"), std::nullopt);
  EXPECT_EQ(PatchText("[GPRS Connection] \r\nProtocol=1\r\n"), std::nullopt);
  EXPECT_EQ(PatchText("[Home]\r\nProtocol=1\r\n"), std::nullopt);
  EXPECT_EQ(PatchText(entry + entry), "[GPRS Connection]\r\nProtocol=0\r\n" + entry);
}

TEST_F(SectionPatchTest, SetsEveryKeyOfTheSectionInAnyOrderAndAsOftenAsItStands) {
  // Out of the service's order, each key is set all the same.
  EXPECT_EQ(PatchText("[GPRS Connection]\nCompression=1\nProtocol=1\n"
                      "IpNameAssign=2\nIpHeaderCompression=1\n"),
            "[GPRS Connection]\r\nCompression=0\r\nProtocol=0\r\n"
            "IpNameAssign=1\r\nIpHeaderCompression=0\r\n");
  // An entry with two links: each device block is set.
  const std::string link =
      "MEDIA=serial\nConnectBPS=9600\nDEVICE=modem\nHwFlowControl=1\n"
      "Protocol=1\nCompression=1\n";
  const std::string set =
      "MEDIA=serial\r\nConnectBPS=115200\r\nDEVICE=modem\r\n"
      "HwFlowControl=0\r\nProtocol=0\r\nCompression=0\r\n";
  EXPECT_EQ(PatchText("[GPRS Connection]\n" + link + link), "[GPRS Connection]\r\n" + set + set);
  // A last line without its end keeps the CR it ends with, within the section as outside it.
  EXPECT_EQ(PatchText("[GPRS Connection]\nProtocol=1\nx\r"),
            "[GPRS Connection]\r\nProtocol=0\r\nx\r\r\n");
  // The second link may hold more keys than the first.
  EXPECT_EQ(PatchText("[GPRS Connection]\nMEDIA=serial\nConnectBPS=9600\n" + link),
            "[GPRS Connection]\r\nMEDIA=serial\r\nConnectBPS=115200\r\n" + set);
  // Leading blanks are allowed; the whole old line goes.
  EXPECT_EQ(PatchText("[GPRS Connection]\n  \tConnectBPS=9600 ; old\n"),
            "[GPRS Connection]\r\nConnectBPS=115200\r\n");
  // A header after leading blanks ends the section: what follows it is another entry's.
  EXPECT_EQ(PatchText("[GPRS Connection]\nProtocol=1\n \t[Home]\nCompression=1\n"),
            "[GPRS Connection]\r\nProtocol=0\r\n \t[Home]\r\nCompression=1\r\n");
}

TEST_F(SectionPatchTest, KeepsEveryOtherLineWholeWithCrLfEnds) {
  const std::string longLine(5000, 'x');
  EXPECT_EQ(PatchText("a\n\n" + longLine + "\r\n[GPRS Connection]\n\nProtocol=1\n\nz"),
            "a\r\n\r\n" + longLine + "\r\n[GPRS Connection]\r\n\r\nProtocol=0\r\n\r\nz\r\n");
}

// Each read and each write of the files may fail, also the read that finds the end and the flush:
// in small pieces, so that the copy takes many of each.
TEST_F(SectionPatchTest, AReadOrWriteErrorFailsThePatch) {
  const std::string phonebook = "[A]\r\n" + Entry("GPRS Connection", true) + Entry("B", true);
  for (size_t piece : {size_t{16}, kPhonebookPiece}) {
    SCOPED_TRACE("pieces of " + std::to_string(piece));
    winsim::ClearCallLog();
    ASSERT_TRUE(PatchText(phonebook, piece));
    const std::pair<const char*, int> calls[] = {
        {"ReadFile", static_cast<int>(winsim::CallsTo("ReadFile").size())},
        {"WriteFile", static_cast<int>(winsim::CallsTo("WriteFile").size())},
        {"FlushFileBuffers", 1}};
    ASSERT_GE(calls[0].second, 2);
    for (const auto& [op, count] : calls) {
      for (int nth : {1, 2, count / 2, count - 1, count}) {
        // A fault on a call the patch does not make would fall on a later patch.
        if (nth < 1 || nth > count) continue;
        winsim::FailCall(op, nth, ERROR_READ_FAULT);
        EXPECT_EQ(PatchText(phonebook, piece), std::nullopt) << op << " #" << nth;
      }
    }
  }
}

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
  const size_t size = 3 * kPhonebookPiece / 2 + random() % (3 * kPhonebookPiece);
  std::string text;
  while (text.size() < size) {
    const unsigned pick = random() % 24;
    if (pick < std::size(kLines))
      text += kLines[pick];
    else if (pick < 23)
      text += std::string(random() % 90, static_cast<char>('a' + random() % 26));
    else
      text += std::string(random() % (2 * kPhonebookPiece), 'L');
    text += random() % 5 == 0 ? "\n" : "\r\n";
  }
  if (random() % 2) text.resize(text.size() - 1 - random() % 2);  // a last line without an end
  return text;
}

// Whole pieces pass most lines on together, and pieces of a few bytes most lines in parts: both
// give the copy the rule makes, byte for byte.
TEST_F(SectionPatchTest, WholeAndSmallPiecesGiveTheCopyTheRuleMakes) {
  winsim::SetCallLogging(false);  // small pieces make many calls
  std::mt19937 random(20261208);
  int patched = 0;
  for (int round = 0; round < 60; ++round) {
    const std::string phonebook = RandomPhonebook(random);
    SCOPED_TRACE("round " + std::to_string(round) + ", " + std::to_string(phonebook.size()) +
                 " bytes");
    const std::optional<std::string> expected = ExpectedPatch(phonebook);
    ASSERT_EQ(PatchText(phonebook), expected);
    ASSERT_EQ(PatchText(phonebook, 1 + round * 37 % 97), expected);
    if (expected) ++patched;
  }
  // Both outcomes must have been met for the comparison to mean something.
  EXPECT_GT(patched, 5);
  EXPECT_LT(patched, 55);
}

TEST_F(SectionPatchTest, LinesThatMeetTheEndOfAPieceAreCutNowhere) {
  const std::string entry = "[GPRS Connection]\r\nProtocol=1\r\n";
  const std::string patched = "[GPRS Connection]\r\nProtocol=0\r\n";
  // The header starts a piece, the header's CR ends one, or the LF before the header ends one.
  for (size_t gap : {size_t{0}, size_t{1}, size_t{2}, size_t{17}}) {
    SCOPED_TRACE("header " + std::to_string(gap) + " bytes before the end of a piece");
    std::string filler = "[Old]\r\n";
    filler += std::string(kPhonebookPiece - gap - filler.size() - 2, 'f') + "\r\n";
    EXPECT_EQ(PatchText(filler + entry + "Tail=1\n"), filler + patched + "Tail=1\r\n");
    EXPECT_EQ(PatchText(filler + "\n" + entry), filler + "\r\n" + patched);
  }
}

// A line five pieces long outside the section, before it, after it and last without an end, looks
// like the header and has CRs at the pieces' ends: inside it, before its LF, before its last
// character, ending the file. It
// passes on part by part: what has been read and not yet written stays within a few pieces.
TEST_F(SectionPatchTest, LongLinesOutsideTheSectionPassInParts) {
  const std::string line = "[GPRS Connection]" + std::string(kPhonebookPiece - 18, 'x') + "\r" +
                           std::string(4 * kPhonebookPiece - 1, 'y') + "\r";
  const std::string entry = "[GPRS Connection]\r\nProtocol=1\r\n";
  for (const std::string& phonebook :
       {line + "\n" + entry, entry + "[Next]\n" + line + "\nTail=1\n", entry + "[Next]\n" + line,
        entry + "[Next]\n" + line + "z\n"}) {
    const std::optional<std::string> expected = ExpectedPatch(phonebook);
    ASSERT_TRUE(expected);
    EXPECT_NE(expected->find("[GPRS Connection]\r\nProtocol=0\r\n"), std::string::npos);
    winsim::ClearCallLog();
    EXPECT_EQ(PatchText(phonebook), expected);
    // Bytes asked for, which the last read of the file does not all get, against bytes written.
    size_t asked = 0, written = 0, held = 0;
    for (const winsim::Call& call : winsim::CallLog()) {
      if (call.op == "ReadFile") asked += call.Number("toRead");
      if (call.op == "WriteFile") written += call.Number("toWrite");
      held = std::max(held, asked - std::min(asked, written));
    }
    EXPECT_EQ(written, expected->size());
    EXPECT_LE(held, 3 * kPhonebookPiece);
  }
}

}  // namespace
