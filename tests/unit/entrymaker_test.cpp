#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "entrymaker_machine.h"
#include "phonebook_editor.h"
#include "platform.h"
#include "ras_entry.h"
#include "sim_test.h"

namespace {

constexpr char kOtherEntries[] = "[Office VPN]\r\nIpFrameSize=1006\r\nProtocol=1\r\n\r\n";

// The thirteen lines as the patch sets them, in the phonebook's order.
const std::vector<std::string> kPatchedLines = {"NegotiateMultilinkAlways=0",
                                                "BindMsNetClient=0",
                                                "PreviewUserPw=1",
                                                "ShowDialingProgress=1",
                                                "ShowMonitorIconInTaskBar=1",
                                                "IpHeaderCompression=0",
                                                "IpNameAssign=1",
                                                "IpFrameSize=0",
                                                "ms_msclient=0",
                                                "ConnectBPS=115200",
                                                "HwFlowControl=0",
                                                "Protocol=0",
                                                "Compression=0"};

class EntryMakerTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    SetUpEntryMakerMachine();
    winsim::AddFile(kPhonebook, kOtherEntries);
  }
  std::string Phonebook() { return winsim::FileContents(kPhonebook).value_or("(none)"); }
  // The entry's section as it now stands in the phonebook.
  std::string Section() {
    const std::string text = Phonebook();
    const size_t begin = text.find("[GPRS Connection]\r\n");
    if (begin == std::string::npos) return "";
    const size_t end = text.find("\r\n[", begin + 1);
    return text.substr(begin, end == std::string::npos ? std::string::npos : end + 2 - begin);
  }
  bool SectionHolds(const std::string& line) {
    return Section().find("\r\n" + line + "\r\n") != std::string::npos;
  }
};

TEST_F(EntryMakerTest, MakesAndPatchesTheEntryAsOldAndNewWindowsWriteIt) {
  for (bool withFrameSize : {true, false}) {
    SCOPED_TRACE(withFrameSize ? "Windows XP" : "Windows 10");
    winsim::SetPhonebookWithFrameSize(withFrameSize);
    EXPECT_TRUE(RunEntrySetup());
    EXPECT_TRUE(winsim::CallsTo("MessageBoxA").empty());
    for (const std::string& line : kPatchedLines) {
      if (line == "IpFrameSize=0" && !withFrameSize) continue;
      EXPECT_TRUE(SectionHolds(line)) << line;
    }
    EXPECT_FALSE(SectionHolds("IpFrameSize=0") && !withFrameSize);
    // The lines whose keys end with another key's text keep their values.
    EXPECT_TRUE(SectionHolds("SwCompression=1"));
    EXPECT_TRUE(SectionHolds("PreferredProtocol=1"));
    EXPECT_TRUE(SectionHolds("PreferredCompression=1"));
    EXPECT_EQ(Phonebook().rfind(kOtherEntries, 0), 0u) << "another entry was changed";
    EXPECT_EQ(winsim::FilesIn(kPbkFolder), std::vector<std::string>{"rasphone.pbk"});
  }
  const auto ras = winsim::CallsTo("RasSetEntryPropertiesA");
  ASSERT_EQ(ras.size(), 2u);
  EXPECT_EQ(ras[0].Arg("phonebook"), kPhonebook);
  EXPECT_EQ(ras[0].Arg("entryName"), "GPRS Connection");
  EXPECT_EQ(ras[0].Arg("entrySize"), "1768");
  EXPECT_EQ(ras[0].Arg("dwSize"), "1768");
  EXPECT_EQ(ras[0].Arg("dwfOptions"), "0x34");
  EXPECT_EQ(ras[0].Arg("deviceInfo"), "null");
  EXPECT_EQ(ras[0].Arg("deviceInfoSize"), "0");
}

TEST_F(EntryMakerTest, WithoutAUsablePathTheMessageIsShownOnce) {
  const auto expectFailure = [](const char* phonebook) {
    winsim::ClearCallLog();
    EXPECT_FALSE(RunEntrySetup());
    EXPECT_EQ(winsim::CallsTo("RasSetEntryPropertiesA").at(0).Arg("phonebook"), phonebook);
    const auto messages = winsim::CallsTo("MessageBoxA");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].Arg("text"), "Failed to create GPRS dial-up network entry");
    EXPECT_EQ(messages[0].Arg("caption"), "null");
    EXPECT_EQ(messages[0].Arg("owner"), "null");
    EXPECT_EQ(messages[0].Arg("type"), "0x0");
  };
  winsim::SetUserValue("Volatile Environment", "APPDATA", winsim::Sz(std::string(260, 'a')));
  expectFailure("");
  winsim::SetUserValue("Volatile Environment", "APPDATA", winsim::Sz(std::string(230, 'a')));
  expectFailure("");  // the phonebook's place would not fit in 259 characters
  winsim::Reset();
  winsim::SetStrings({{1, "Failed to create GPRS dial-up network entry"}, {2, "GPRS Connection"}});
  expectFailure("");  // no "APPDATA" at all
}

TEST_F(EntryMakerTest, AnEnvironmentReferenceIsTakenAsStored) {
  winsim::SetUserValue("Volatile Environment", "APPDATA", winsim::Sz("%USERPROFILE%\\AppData"));
  RunEntrySetup();
  EXPECT_EQ(winsim::CallsTo("RasSetEntryPropertiesA").at(0).Arg("phonebook"),
            "%USERPROFILE%\\AppData\\Microsoft\\Network\\Connections\\Pbk\\rasphone.pbk");
}

TEST_F(EntryMakerTest, AFailedPatchLeavesThePhonebookAsItWas) {
  const struct {
    const char* op;
    int nth;
  } faults[] = {{"CreateFileA", 1},      {"GetTempFileNameA", 1}, {"CreateFileA", 2},
                {"ReadFile", 1},         {"ReadFile", 2},         {"WriteFile", 1},
                {"FlushFileBuffers", 1}, {"CloseHandle", 2},      {"MoveFileExA", 1}};
  for (const auto& fault : faults) {
    SCOPED_TRACE(std::string(fault.op) + " #" + std::to_string(fault.nth));
    PhonebookEditor editor;
    ASSERT_TRUE(editor.CreateEntry(RASIPADDR{0, 0, 0, 0}));
    const std::string before = Phonebook();
    winsim::FailCall(fault.op, fault.nth, ERROR_WRITE_FAULT);
    EXPECT_FALSE(editor.PatchPhonebook());
    EXPECT_EQ(Phonebook(), before);
    EXPECT_EQ(winsim::FilesIn(kPbkFolder), std::vector<std::string>{"rasphone.pbk"});
    winsim::Reset();
    SetUp();
  }
}

TEST_F(EntryMakerTest, APhonebookHeldOpenElsewhereIsNotTouched) {
  PhonebookEditor editor;
  ASSERT_TRUE(editor.CreateEntry(RASIPADDR{0, 0, 0, 0}));
  const std::string before = Phonebook();
  winsim::HoldFileOpen(kPhonebook);
  EXPECT_FALSE(editor.PatchPhonebook());
  EXPECT_EQ(Phonebook(), before);
  EXPECT_EQ(winsim::FilesIn(kPbkFolder), std::vector<std::string>{"rasphone.pbk"});
}

TEST_F(EntryMakerTest, LinesOfAnyLengthAndAnyPlaceInTheFileSurvive) {
  // A line far longer than the copy's buffers, and a CR LF split between two reads of the file.
  std::string before = "[Long]\r\nComment=" + std::string(200000, 'c') + "\r\n";
  before += "Filler=" + std::string(65536 - 1 - before.size() % 65536 - 7, 'f') + "\r\n";
  ASSERT_EQ((before.size() - 1) % 65536, 0u);  // the CR ends one read, the LF starts the next
  before += "LastLine=without an end\n\r\n";
  winsim::AddFile(kPhonebook, before);
  EXPECT_TRUE(RunEntrySetup());
  const std::string after = Phonebook();
  ASSERT_GE(after.size(), before.size());
  EXPECT_EQ(after.substr(0, before.size() - 3), before.substr(0, before.size() - 3));
  EXPECT_TRUE(SectionHolds("ConnectBPS=115200"));
}

std::string_view Bytes(const RasEntryV4& entry) {
  return {reinterpret_cast<const char*>(&entry), sizeof entry};
}

TEST(RasEntryTest, SetsTheGprsFieldsAndNothingElse) {
  RasEntryV4 entry = {};
  std::memset(&entry, 0xAB, sizeof entry);
  ASSERT_TRUE(BuildGprsEntry("GPRS Modem", RASIPADDR{10, 0, 0, 1}, entry));
  RasEntryV4 expected = {};
  expected.dwSize = 1768;
  expected.dwfOptions = 0x34;
  std::strcpy(expected.szLocalPhoneNumber, "*99*1,1#");
  expected.ipaddrDns = RASIPADDR{10, 0, 0, 1};
  expected.dwfNetProtocols = 4;
  expected.dwFramingProtocol = 1;
  std::strcpy(expected.szDeviceType, "modem");
  std::strcpy(expected.szDeviceName, "GPRS Modem");
  // The platform takes the record as bytes: every one of them counts, the padding's too.
  EXPECT_EQ(Bytes(entry), Bytes(expected));

  EXPECT_TRUE(BuildGprsEntry(std::string(128, 'd').c_str(), RASIPADDR{}, entry));
  EXPECT_FALSE(BuildGprsEntry(std::string(129, 'd').c_str(), RASIPADDR{}, entry));
}

}  // namespace
