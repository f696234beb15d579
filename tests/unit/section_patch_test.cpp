#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <string>

#include "section_patch.h"
#include "text_lines.h"

namespace {

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

TEST(SectionPatchTest, PatchesTheEntryAsOldAndNewWindowsWriteIt) {
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

TEST(SectionPatchTest, NeverTouchesAnotherEntry) {
  // The entry lacks every key but one: the others are not looked for in the next entry.
  const std::string next = Entry("Home", true);
  EXPECT_EQ(PatchText("[GPRS Connection]\r\nConnectBPS=9600\r\n" + next),
            "[GPRS Connection]\r\nConnectBPS=115200\r\n" + next);
  // An entry with none of the keys is not patched at all.
  EXPECT_EQ(PatchText("[GPRS Connection]\r\nEncoding=1\r\n" + next), std::nullopt);
  EXPECT_EQ(PatchText("[GPRS Connection]"), std::nullopt);  // the header as the last line
}

TEST(SectionPatchTest, FindsOnlyTheExactFirstHeader) {
  const std::string entry = "[GPRS Connection]\r\nProtocol=1\r\n";
  EXPECT_EQ(PatchText("[gprs connection]\r\nProtocol=1\r\n"), std::nullopt);
  EXPECT_EQ(PatchText(" [GPRS Connection]\r\nProtocol=1\r\n"), std::nullopt);
  EXPECT_EQ(PatchText("[GPRS Connection] \r\nProtocol=1\r\n"), std::nullopt);
  EXPECT_EQ(PatchText("[Home]\r\nProtocol=1\r\n"), std::nullopt);
  EXPECT_EQ(PatchText(entry + entry), "[GPRS Connection]\r\nProtocol=0\r\n" + entry);
}

TEST(SectionPatchTest, SetsEveryKeyOfTheSectionInAnyOrderAndAsOftenAsItStands) {
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
  // Leading blanks are allowed; the whole old line goes.
  EXPECT_EQ(PatchText("[GPRS Connection]\n  \tConnectBPS=9600 ; old\n"),
            "[GPRS Connection]\r\nConnectBPS=115200\r\n");
  // A header after leading blanks ends the section: what follows it is another entry's.
  EXPECT_EQ(PatchText("[GPRS Connection]\nProtocol=1\n \t[Home]\nCompression=1\n"),
            "[GPRS Connection]\r\nProtocol=0\r\n \t[Home]\r\nCompression=1\r\n");
}

TEST(SectionPatchTest, KeepsEveryOtherLineWholeWithCrLfEnds) {
  const std::string longLine(5000, 'x');
  EXPECT_EQ(PatchText("a\n\n" + longLine + "\r\n[GPRS Connection]\n\nProtocol=1\n\nz"),
            "a\r\n\r\n" + longLine + "\r\n[GPRS Connection]\r\n\r\nProtocol=0\r\n\r\nz\r\n");
}

TEST(SectionPatchTest, AReadOrWriteErrorFailsThePatch) {
  const std::string phonebook = "[A]\r\n" + Entry("GPRS Connection", true) + Entry("B", true);
  for (int at = 0; at < 10; ++at) {
    TextSource in(phonebook, at);
    TextSink out;
    EXPECT_FALSE(PatchEntrySection(in, out, "GPRS Connection")) << "read " << at;
  }
  const int lines = static_cast<int>(std::count(phonebook.begin(), phonebook.end(), '\n'));
  for (int at : {0, 1, 5, 40, lines - 1}) {
    TextSource in(phonebook);
    TextSink out(at);
    EXPECT_FALSE(PatchEntrySection(in, out, "GPRS Connection")) << "write " << at;
  }
  // The last read, the one that would find the end of the file, failing too.
  TextSource in(phonebook, lines);
  TextSink out;
  EXPECT_FALSE(PatchEntrySection(in, out, "GPRS Connection"));
}

}  // namespace
