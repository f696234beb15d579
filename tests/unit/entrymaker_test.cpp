#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "entrymaker_machine.h"
#include "phonebook_editor.h"
#include "platform.h"
#include "ras_entry.h"
#include "safe_replace.h"
#include "section_patch.h"
#include "sim_test.h"
#include "unique_handle.h"

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
  EXPECT_EQ(ras[0].Text("phonebook"), kPhonebook);
  EXPECT_EQ(ras[0].Text("entryName"), "GPRS Connection");
  EXPECT_EQ(ras[0].Number("entrySize"), 1768u);
  EXPECT_EQ(ras[0].Number("dwSize"), 1768u);
  EXPECT_EQ(ras[0].Number("dwfOptions"), 0x34u);
  EXPECT_TRUE(ras[0].IsNull("deviceInfo"));
  EXPECT_EQ(ras[0].Number("deviceInfoSize"), 0u);
}

TEST_F(EntryMakerTest, WithoutAUsablePathTheMessageIsShownOnce) {
  const auto expectFailure = [](const char* phonebook) {
    winsim::ClearCallLog();
    EXPECT_FALSE(RunEntrySetup());
    EXPECT_EQ(winsim::CallsTo("RasSetEntryPropertiesA").at(0).Text("phonebook"), phonebook);
    const auto messages = winsim::CallsTo("MessageBoxA");
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].Text("text"), "Failed to create GPRS dial-up network entry");
    EXPECT_TRUE(messages[0].IsNull("caption"));
    EXPECT_TRUE(messages[0].IsNull("owner"));
    EXPECT_EQ(messages[0].Number("type"), 0u);
  };
  winsim::SetUserValue("Volatile Environment", "APPDATA", winsim::Sz(std::string(260, 'a')));
  expectFailure("");
  winsim::SetUserValue("Volatile Environment", "APPDATA", winsim::Sz(std::string(230, 'a')));
  expectFailure("");  // the phonebook's place would not fit in 259 characters
  // 212 characters are the most that leave room for the phonebook's place, and the names
  // beside it are no longer.
  const std::string longest = "C:\\" + std::string(209, 'a');
  const std::string phonebook = longest + "\\Microsoft\\Network\\Connections\\Pbk\\rasphone.pbk";
  winsim::SetUserValue("Volatile Environment", "APPDATA", winsim::Sz(longest + "b"));
  expectFailure("");
  winsim::SetUserValue("Volatile Environment", "APPDATA", winsim::Sz(longest));
  winsim::ClearCallLog();
  EXPECT_TRUE(RunEntrySetup());
  EXPECT_EQ(winsim::CallsTo("RasSetEntryPropertiesA").at(0).Text("phonebook"), phonebook);
  EXPECT_EQ(phonebook.size(), 259u);
  winsim::Reset();
  winsim::SetStrings({{1, "Failed to create GPRS dial-up network entry"}, {2, "GPRS Connection"}});
  expectFailure("");  // no "APPDATA" at all
}

TEST_F(EntryMakerTest, AnEnvironmentReferenceIsTakenAsStored) {
  winsim::SetUserValue("Volatile Environment", "APPDATA", winsim::Sz("%USERPROFILE%\\AppData"));
  RunEntrySetup();
  EXPECT_EQ(winsim::CallsTo("RasSetEntryPropertiesA").at(0).Text("phonebook"),
            "%USERPROFILE%\\AppData\\Microsoft\\Network\\Connections\\Pbk\\rasphone.pbk");
}

TEST_F(EntryMakerTest, AFailedPatchLeavesThePhonebookAsItWas) {
  // The first file opened is the folder's lock, the second the phonebook, the third the copy;
  // the handles closed in the patch are the phonebook's and the copy's. A code of 0 is a failure
  // that leaves no code. The last faults strike inside a phonebook of several pieces.
  const struct {
    const char* op;
    int nth;
    DWORD code;
    bool large;
  } faults[] = {{"CreateFileA", 1, ERROR_SHARING_VIOLATION, false},
                {"CreateFileA", 2, ERROR_SHARING_VIOLATION, false},
                {"GetFileInformationByHandle", 1, ERROR_ACCESS_DENIED, false},
                {"GetFileSecurityA", 2, ERROR_ACCESS_DENIED, false},
                {"CreateFileA", 3, ERROR_ACCESS_DENIED, false},
                {"ReadFile", 2, ERROR_READ_FAULT, false},
                {"WriteFile", 1, ERROR_HANDLE_DISK_FULL, false},
                {"FlushFileBuffers", 1, ERROR_WRITE_FAULT, false},
                {"SetFileTime", 1, ERROR_ACCESS_DENIED, false},
                {"CloseHandle", 2, ERROR_WRITE_FAULT, false},
                {"SetFileSecurityA", 0, ERROR_ACCESS_DENIED, false},
                {"SetFileAttributesA", 1, ERROR_ACCESS_DENIED, false},
                {"ReplaceFileA", 1, ERROR_SHARING_VIOLATION, false},
                {"ReplaceFileA", 1, ERROR_UNABLE_TO_MOVE_REPLACEMENT, false},
                {"ReplaceFileA", 1, ERROR_UNABLE_TO_MOVE_REPLACEMENT_2, false},
                {"WriteFile", 3, ERROR_HANDLE_DISK_FULL, true},
                {"WriteFile", 3, 0, true},
                {"ReadFile", 3, 0, true}};
  // Five pieces of other entries before the kit's.
  std::string large;
  while (large.size() < 5 * kPhonebookPiece) large += kOtherEntries;
  for (const auto& fault : faults) {
    SCOPED_TRACE(std::string(fault.op) + " #" + std::to_string(fault.nth) + " fails with " +
                 std::to_string(fault.code) + (fault.large ? " in a large phonebook" : ""));
    if (fault.large) winsim::AddFile(kPhonebook, large);
    std::string before;
    {
      PhonebookEditor editor;
      ASSERT_TRUE(editor.CreateEntry(RASIPADDR{0, 0, 0, 0}));
      before = Phonebook();
      if (fault.code)
        winsim::FailCall(fault.op, fault.nth, fault.code);
      else
        winsim::FailCallWithoutCode(fault.op, fault.nth);
      EXPECT_FALSE(editor.PatchPhonebook());
    }
    EXPECT_EQ(Phonebook(), before);
    EXPECT_EQ(winsim::FilesIn(kPbkFolder), std::vector<std::string>{"rasphone.pbk"});
    EXPECT_EQ(winsim::OpenHandles(), 0);
    winsim::Reset();
    SetUp();
  }

  // A write that succeeds and moves nothing would never end: it fails the patch.
  winsim::AddFile(kPhonebook, large);
  winsim::MoveFewerBytes("WriteFile", 2, 0);
  EXPECT_FALSE(RunEntrySetup());
  EXPECT_NE(Phonebook().find(kOtherEntries), std::string::npos);
  EXPECT_EQ(winsim::FilesIn(kPbkFolder), std::vector<std::string>{"rasphone.pbk"});
  winsim::Reset();
  SetUp();

  // Reads and writes that move less than asked are no failure: the copy is the same.
  std::string patched;
  for (const bool shortened : {false, true}) {
    winsim::AddFile(kPhonebook, large);
    if (shortened) {
      winsim::MoveFewerBytes("ReadFile", 2, 1000);
      winsim::MoveFewerBytes("WriteFile", 2, 1000);
    }
    EXPECT_TRUE(RunEntrySetup());
    if (shortened) {
      EXPECT_EQ(Phonebook(), patched);
    }
    patched = Phonebook();
    winsim::Reset();
    SetUp();
  }
}

TEST_F(EntryMakerTest, APhonebookHeldOpenElsewhereOrReadOnlyIsNotTouched) {
  for (bool readOnly : {false, true}) {
    SCOPED_TRACE(readOnly ? "read-only" : "held open");
    {
      PhonebookEditor editor;
      ASSERT_TRUE(editor.CreateEntry(RASIPADDR{0, 0, 0, 0}));
      if (readOnly) {
        ASSERT_TRUE(SetFileAttributesA(kPhonebook, FILE_ATTRIBUTE_READONLY));
      } else {
        winsim::HoldFileOpen(kPhonebook);
      }
      const std::string before = Phonebook();
      EXPECT_FALSE(editor.PatchPhonebook());
      EXPECT_EQ(Phonebook(), before);
    }
    EXPECT_EQ(winsim::FilesIn(kPbkFolder), std::vector<std::string>{"rasphone.pbk"});
    winsim::Reset();
    SetUp();
  }
}

// The patched phonebook is the same file to the system as the old one: its owner, its access
// list, its attributes and its creation time. An owner that only an administrator could give
// stays the user's; everything else is kept all the same.
TEST_F(EntryMakerTest, ThePatchedPhonebookKeepsItsIdentity) {
  const char kDacl[] = "(A;;FA;;;SY)(A;;FR;;;S-1-5-21-1-2-3-1001)(A;;0x1301bf;;;S-1-5-32-545)";
  // Whatever the platform's replace carries over by itself: the kit gives the copy all of it.
  for (const bool onlyData : {false, true})
    for (const char* owner : {winsim::kUserSid, "S-1-5-32-544"}) {
      SCOPED_TRACE(std::string(owner) + (onlyData ? ", a replace that carries only the data" : ""));
      winsim::ReplaceCarriesOnlyTheData(onlyData);
      const std::string given = std::string("D:") + kDacl + "\n";
      ASSERT_TRUE(SetFileSecurityA(kPhonebook, DACL_SECURITY_INFORMATION,
                                   const_cast<char*>(given.c_str())));
      winsim::GiveFileOwner(kPhonebook, owner);
      ASSERT_TRUE(SetFileAttributesA(kPhonebook,
                                     FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED));
      const FILETIME made = {0x12345678, 0x01d00000};
      {
        File phonebook(CreateFileA(kPhonebook, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
        ASSERT_TRUE(SetFileTime(phonebook.get(), &made, nullptr, nullptr));
      }
      EXPECT_TRUE(RunEntrySetup());
      EXPECT_TRUE(SectionHolds("ConnectBPS=115200"));
      EXPECT_EQ(GetFileAttributesA(kPhonebook),
                DWORD{FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED});
      char descriptor[512];
      DWORD needed = 0;
      ASSERT_TRUE(GetFileSecurityA(kPhonebook,
                                   OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                                   descriptor, sizeof descriptor, &needed));
      EXPECT_EQ(std::string(descriptor), std::string("O:") + winsim::kUserSid + "\n" + given);
      File phonebook(CreateFileA(kPhonebook, GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr));
      BY_HANDLE_FILE_INFORMATION information = {};
      ASSERT_TRUE(GetFileInformationByHandle(phonebook.get(), &information));
      EXPECT_EQ(information.ftCreationTime.dwLowDateTime, made.dwLowDateTime);
      EXPECT_EQ(information.ftCreationTime.dwHighDateTime, made.dwHighDateTime);
    }
}

// What a run that was stopped part way leaves beside the phonebook is put right by the next run;
// a run that is still at work keeps its copy; what someone the run does not trust left there is
// set aside and never becomes the phonebook.
TEST_F(EntryMakerTest, TheNextRunReclaimsWhatAStoppedRunLeft) {
  const std::string copy = std::string(kPbkFolder) + "\\rasphone.new";
  const std::string backup = std::string(kPbkFolder) + "\\rasphone.old";
  const std::string lock = std::string(kPbkFolder) + "\\rasphone.lck";
  winsim::AddFile(copy, "half a copy");
  winsim::AddFile(lock, "");
  EXPECT_TRUE(RunEntrySetup());
  EXPECT_EQ(winsim::FilesIn(kPbkFolder), std::vector<std::string>{"rasphone.pbk"});

  // Stopped between the swap's two renames: only the backup holds the phonebook.
  const std::string patched = Phonebook();
  ASSERT_TRUE(MoveFileExA(kPhonebook, backup.c_str(), 0));
  EXPECT_TRUE(RunEntrySetup());
  EXPECT_EQ(Phonebook(), patched);
  EXPECT_EQ(winsim::FilesIn(kPbkFolder), std::vector<std::string>{"rasphone.pbk"});
  // A phonebook that appears after the look, as the dial-up service may make one, is never
  // overwritten by the backup: the run fails, and both stay.
  winsim::AddFile(backup, "[Old]\r\n");
  winsim::FailCall("GetFileAttributesA", 4, ERROR_FILE_NOT_FOUND);
  EXPECT_FALSE(RunEntrySetup());
  EXPECT_EQ(Phonebook(), patched);
  EXPECT_EQ(winsim::FileContents(backup), "[Old]\r\n");
  ASSERT_TRUE(DeleteFileA(backup.c_str()));

  // While a run copies, its lock and the phonebook are its own, whatever sharing another opener
  // offers: a second run cannot take the lock, and no program can read the lock or write the
  // phonebook.
  {
    SafeReplace running;
    ASSERT_TRUE(running.Aim(kPhonebook) && running.Reclaim() && running.Begin());
    SafeReplace second;
    // The names beside a file replace its last three characters, which a name needs beside them.
    EXPECT_FALSE(second.Aim("abc"));
    EXPECT_TRUE(second.Aim("a.pb"));
    ASSERT_TRUE(second.Aim(kPhonebook));
    EXPECT_FALSE(second.Reclaim());
    constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;
    for (const std::string& path : {lock, std::string(kPhonebook)}) {
      for (const DWORD access : {DWORD{GENERIC_READ}, DWORD{GENERIC_WRITE}, DWORD{DELETE}}) {
        File other(CreateFileA(path.c_str(), access, kShareAll, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr));
        EXPECT_FALSE(other) << path << " opened for " << access;
        EXPECT_EQ(GetLastError(), DWORD{ERROR_SHARING_VIOLATION});
      }
    }
    running.Discard();
  }

  // Another run holds the lock: this one gives up, and the other's copy stays as it is.
  winsim::AddFile(copy, "another run's copy");
  winsim::HoldFileOpen(lock);
  EXPECT_FALSE(RunEntrySetup());
  EXPECT_EQ(winsim::FileContents(copy), "another run's copy");
  EXPECT_EQ(Phonebook(), patched);

  // In the all-users folder any user may make files. Another user's file or link under a name
  // beside the missing phonebook goes (never what the link points to) and never becomes the
  // phonebook; another user's folder fails the run, which then changes nothing.
  constexpr char kShared[] = "C:\\ProgramData\\Microsoft\\Network\\Connections\\Pbk";
  const std::string shared = std::string(kShared) + "\\rasphone.pbk";
  const EntryNames names = {"GPRS Connection", "GPRS Modem"};
  for (const std::string extension : {"old", "new", "lck"})
    for (const int kind : {0, 1, 2, 3}) {  // a file, a link, a folder, a link to a folder
      SCOPED_TRACE("another user's ." + extension + " of kind " + std::to_string(kind));
      winsim::Reset();
      SetUp();
      winsim::AddFile("C:\\precious\\precious.txt", "precious");
      const std::string side = std::string(kShared) + "\\rasphone." + extension;
      if (kind == 0) winsim::AddFile(side, "someone else's");
      if (kind == 1) winsim::AddLink(side, "C:\\precious\\precious.txt");
      if (kind == 2) winsim::AddFolder(side);
      if (kind == 3) winsim::AddLink(side, "C:\\precious");
      winsim::GiveFileOwner(side, "S-1-5-21-1-2-3-1002");
      EXPECT_EQ(SetUpEntry(names, ::Phonebook::kAllUsers),
                kind == 2 ? EntrySetup::kNotReclaimed : EntrySetup::kDone);
      EXPECT_EQ(winsim::FileContents("C:\\precious\\precious.txt"), "precious");
      EXPECT_EQ(winsim::FilesIn(kShared),
                std::vector<std::string>{kind == 2 ? "rasphone." + extension : "rasphone.pbk"});
      if (kind != 2) {
        EXPECT_EQ(winsim::FileContents(shared)->find("someone"), std::string::npos);
      }
    }

  // A backup only those who may write the phonebook could have left is put back, anyone else's
  // deleted. The system writes only the all-users folder; a run whose token gives its files to
  // Administrators still trusts its own user in the user's profile, and only there.
  const struct {
    ::Phonebook whose;
    const char* owner;
    const char* tokenOwner;
    bool putBack;
  } backups[] = {{::Phonebook::kAllUsers, winsim::kAdministratorsSid, winsim::kUserSid, true},
                 {::Phonebook::kAllUsers, winsim::kSystemSid, winsim::kUserSid, true},
                 {::Phonebook::kAllUsers, winsim::kUserSid, winsim::kUserSid, true},
                 {::Phonebook::kAllUsers, winsim::kUserSid, winsim::kAdministratorsSid, false},
                 {::Phonebook::kUser, winsim::kSystemSid, winsim::kUserSid, false},
                 {::Phonebook::kUser, winsim::kAdministratorsSid, winsim::kUserSid, true},
                 {::Phonebook::kUser, winsim::kUserSid, winsim::kAdministratorsSid, true}};
  for (const auto& b : backups) {
    SCOPED_TRACE(std::string(b.owner) + "'s backup, token owner " + b.tokenOwner +
                 (b.whose == ::Phonebook::kUser ? ", the user's" : ", all users'"));
    winsim::Reset();
    SetUp();
    const std::string book = b.whose == ::Phonebook::kUser ? kPhonebook : shared;
    const std::string old = book.substr(0, book.size() - 3) + "old";
    ASSERT_TRUE(DeleteFileA(kPhonebook));
    winsim::AddFile(old, "[Kept]\r\n");
    winsim::GiveFileOwner(old, b.owner);
    winsim::SetTokenOwner(b.tokenOwner);
    EXPECT_EQ(SetUpEntry(names, b.whose), EntrySetup::kDone);
    EXPECT_EQ(winsim::FileContents(book)->rfind("[Kept]\r\n", 0) == 0, b.putBack);
    EXPECT_FALSE(winsim::FileExists(old));
  }

  // An owner that cannot be read is neither trusted nor set aside: the run fails, and the stale
  // copy and the backup that alone holds the phonebook stay.
  for (const auto& [op, nth] :
       std::vector<std::pair<const char*, int>>{{"GetFileAttributesA", 4},  // the phonebook's
                                                {"GetSecurityInfo", 2},
                                                {"CreateFileA", 2},
                                                {"OpenProcessToken", 1},
                                                {"GetTokenInformation", 2},
                                                {"AllocateAndInitializeSid", 1}}) {
    SCOPED_TRACE(op);
    winsim::Reset();
    SetUp();
    ASSERT_TRUE(MoveFileExA(kPhonebook, backup.c_str(), 0));
    winsim::AddFile(copy, "half a copy");
    winsim::FailCall(op, nth, ERROR_ACCESS_DENIED);
    EXPECT_FALSE(RunEntrySetup());
    std::vector<std::string> left = winsim::FilesIn(kPbkFolder);
    std::sort(left.begin(), left.end());
    EXPECT_EQ(left, (std::vector<std::string>{"rasphone.new", "rasphone.old"}));
    EXPECT_EQ(winsim::FileContents(copy), "half a copy");
  }
}

// The names beside the phonebook are the run's own. A link under one would lead the lock's
// delete, the copy or the backup's move to another file; a folder under one is not the run's.
TEST_F(EntryMakerTest, ANameBesideThePhonebookHeldByALinkOrAFolderChangesNothing) {
  constexpr char kPrecious[] = "C:\\Users\\me\\precious.txt";
  int look = 0;  // the names are looked at in this order
  for (const char* extension : {"lck", "new", "old"}) {
    ++look;
    // A link, a folder, and a link whose look fails: a name that cannot be looked at may be
    // anything, the phonebook's only copy among them.
    for (const int kind : {0, 1, 2}) {
      SCOPED_TRACE(std::string(extension) + " of kind " + std::to_string(kind));
      winsim::Reset();
      SetUp();
      winsim::AddFile(kPrecious, "precious");
      const std::string side = std::string(kPbkFolder) + "\\rasphone." + extension;
      if (kind == 1)
        winsim::AddFolder(side);
      else
        winsim::AddLink(side, kPrecious);
      if (kind == 2) winsim::FailCall("GetFileAttributesA", look, ERROR_ACCESS_DENIED);
      const std::string before = Phonebook();
      EXPECT_FALSE(RunEntrySetup());
      EXPECT_EQ(winsim::CallsTo("MessageBoxA").size(), 1u);
      EXPECT_EQ(Phonebook(), before);
      EXPECT_EQ(winsim::FileContents(kPrecious), "precious");
      EXPECT_EQ(GetFileAttributesA(side.c_str()) & FILE_ATTRIBUTE_REPARSE_POINT,
                kind == 1 ? 0u : DWORD{FILE_ATTRIBUTE_REPARSE_POINT});
    }
  }
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

// The power cut at each file service call of a patch, with each loss the disk allows: once the
// machine is up again and the next run has reclaimed the folder, the phonebook is byte for byte
// the one it was or the wholly patched one.
TEST_F(EntryMakerTest, APowerLossAnywhereLeavesTheOldPhonebookOrTheWholeNewOne) {
  std::string others = kOtherEntries;  // some 64 KB pieces, so that the copy takes several writes
  for (int number = 0; others.size() < 150000; ++number) others += OtherEntry(number);
  winsim::AddFile(kPhonebook, others);
  ASSERT_TRUE(PhonebookEditor().CreateEntry(RASIPADDR{0, 0, 0, 0}));
  const std::string old = Phonebook();
  winsim::WatchForPowerLoss();
  ASSERT_TRUE(PhonebookEditor().PatchPhonebook());
  const int steps = winsim::FileSteps();
  const std::string patched = Phonebook();
  ASSERT_NE(patched, old);

  int oldSeen = 0, patchedSeen = 0;
  for (int step = 1; step <= steps; ++step) {
    for (int kept = 0;; ++kept) {
      bool allKept = false;
      for (winsim::WriteLoss loss :
           {winsim::WriteLoss::kAllLost, winsim::WriteLoss::kAllKept,
            winsim::WriteLoss::kEvenSectorsKept, winsim::WriteLoss::kOddSectorsKept,
            winsim::WriteLoss::kZerosInstead}) {
        SCOPED_TRACE("power cut at step " + std::to_string(step) + ", " + std::to_string(kept) +
                     " name changes kept, loss " + std::to_string(static_cast<int>(loss)));
        winsim::AddFile(kPhonebook, old);
        winsim::WatchForPowerLoss();
        winsim::CutPowerAt(step);
        PhonebookEditor().PatchPhonebook();  // true when only the backup's removal was cut
        allKept = kept >= winsim::NameChanges();
        winsim::RestartAfterPowerLoss(loss, kept);
        EXPECT_TRUE(PhonebookEditor().Reclaim());
        const std::string now = Phonebook();
        EXPECT_TRUE(now == old || now == patched);
        oldSeen += now == old;
        patchedSeen += now == patched;
        EXPECT_EQ(winsim::FilesIn(kPbkFolder), std::vector<std::string>{"rasphone.pbk"});
      }
      if (allKept) break;
    }
  }
  // Cuts before the swap leave the old phonebook, cuts after it the new one.
  EXPECT_GT(oldSeen, 0);
  EXPECT_GT(patchedSeen, 0);
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
