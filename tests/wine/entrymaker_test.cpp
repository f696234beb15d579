// EntryMaker under Wine. Wine's remote-access service accepts the entry without writing it, so
// each test first puts the entry into the phonebook the way Windows writes it.

#include <gtest/gtest.h>
#include <sddl.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "beside_program.h"
#include "robot.h"
#include "wine_test_support.h"

namespace {

constexpr char kProgram[] = "EntryMaker.exe";
constexpr char kFailure[] = "Failed to create GPRS dial-up network entry";

std::string ReadAll(const std::string& path) {
  std::ifstream file(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

// "APPDATA" of the user's volatile environment, where the phonebook lies below.
std::string AppData() {
  char value[MAX_PATH] = {};
  DWORD size = sizeof value;
  HKEY key = nullptr;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, "Volatile Environment", 0, KEY_QUERY_VALUE, &key) == 0) {
    RegQueryValueExA(key, "APPDATA", nullptr, nullptr, reinterpret_cast<BYTE*>(value), &size);
    RegCloseKey(key);
  }
  return value;
}

// The file's access list in the text form the security functions read and write.
std::string AccessListOf(const std::string& path) {
  char descriptor[4096];
  DWORD needed = 0;
  char* text = nullptr;
  if (!GetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, descriptor, sizeof descriptor,
                        &needed) ||
      !ConvertSecurityDescriptorToStringSecurityDescriptorA(
          descriptor, SDDL_REVISION_1, DACL_SECURITY_INFORMATION, &text, nullptr))
    return "(unreadable)";
  std::string list = text;
  LocalFree(text);
  return list;
}

bool SetAccessList(const std::string& path, const char* sddl) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl, SDDL_REVISION_1, &descriptor,
                                                            nullptr))
    return false;
  const bool set = SetFileSecurityA(path.c_str(), DACL_SECURITY_INFORMATION, descriptor);
  LocalFree(descriptor);
  return set;
}

// The names in `folder`, but for "." and "..".
std::vector<std::string> NamesIn(const std::string& folder) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    const std::string name = found.cFileName;
    if (name != "." && name != "..") names.push_back(name);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

class EntryMakerRun : public KitProgramTest {
 protected:
  EntryMakerRun() : KitProgramTest(kProgram) {}
  void SetUp() override {
    KitProgramTest::SetUp();
    const std::string folder = AppData() + "\\Microsoft\\Network\\Connections\\Pbk";
    ASSERT_NE(AppData(), "");
    for (const char* part :
         {"\\Microsoft", "\\Microsoft\\Network", "\\Microsoft\\Network\\Connections",
          "\\Microsoft\\Network\\Connections\\Pbk"})
      CreateDirectoryA((AppData() + part).c_str(), nullptr);
    folder_ = folder;
    phonebook_ = folder + "\\rasphone.pbk";
    seed_ = ReadAll(BesideProgram("rasphone-seed.pbk"));
    ASSERT_FALSE(seed_.empty());
    std::ofstream(phonebook_, std::ios::binary | std::ios::trunc) << seed_;
  }
  // Starts EntryMaker and expects its one message.
  void ExpectFailureMessage() {
    process_ = robot::Process::Start(KitFolder() + "\\" + kProgram, "", KitFolder());
    ASSERT_TRUE(process_.started());
    HWND box = robot::WaitForWindow(process_.id(), "Error");
    ASSERT_NE(box, nullptr) << "no message";
    const robot::MessageBoxContent message = robot::ReadMessageBox(box);
    EXPECT_EQ(message.text, kFailure);
    EXPECT_EQ(message.owner, nullptr);
    ASSERT_EQ(message.buttons.size(), 1u);
    robot::Click(message.buttons[0].window);
    ExpectEndsQuietly();
  }

  std::string folder_;
  std::string phonebook_;
  std::string seed_;
};

TEST_F(EntryMakerRun, SetsTheEntrysLinesAndSaysNothing) {
  // The phonebook is still the same file to the system afterwards: Wine's own ReplaceFileA
  // keeps neither the access list nor the attributes, so this is the program's own doing. Wine
  // keeps an access list as the file's mode, so the one given is the one a new file has, less
  // everyone's right to read.
  std::string accessList = AccessListOf(phonebook_);
  const size_t everyone = accessList.find(";;;WD)");
  ASSERT_NE(everyone, std::string::npos) << accessList;
  const size_t begin = accessList.rfind('(', everyone);
  accessList.erase(begin, everyone + 6 - begin);
  ASSERT_TRUE(SetAccessList(phonebook_, accessList.c_str()));
  ASSERT_EQ(AccessListOf(phonebook_), accessList);
  ASSERT_TRUE(SetFileAttributesA(phonebook_.c_str(), FILE_ATTRIBUTE_HIDDEN));
  process_ = robot::Process::Start(KitFolder() + "\\" + kProgram, "", KitFolder());
  ASSERT_TRUE(process_.started());
  ExpectEndsQuietly();
  EXPECT_EQ(process_.ExitCode(), std::optional<DWORD>(0));
  const std::string patched = ReadAll(phonebook_);
  const size_t entry = patched.find("[GPRS Connection]\r\n");
  ASSERT_NE(entry, std::string::npos);
  EXPECT_EQ(patched.substr(0, entry), seed_.substr(0, entry)) << "another entry changed";
  const std::string section = patched.substr(entry);
  for (const char* line :
       {"NegotiateMultilinkAlways=0", "BindMsNetClient=0", "PreviewUserPw=1",
        "ShowDialingProgress=1", "ShowMonitorIconInTaskBar=1", "IpHeaderCompression=0",
        "IpNameAssign=1", "ms_msclient=0", "ConnectBPS=115200", "HwFlowControl=0", "Protocol=0",
        "Compression=0", "SwCompression=1", "PreferredProtocol=1", "PreferredCompression=1"})
    EXPECT_NE(section.find(std::string("\r\n") + line + "\r\n"), std::string::npos) << line;
  // Each value keeps its length but for ConnectBPS, 9600 becoming 115200.
  EXPECT_EQ(patched.size(), seed_.size() + 2) << "only the thirteen lines may change";
  EXPECT_EQ(AccessListOf(phonebook_), accessList);
  EXPECT_EQ(GetFileAttributesA(phonebook_.c_str()) & FILE_ATTRIBUTE_HIDDEN,
            DWORD{FILE_ATTRIBUTE_HIDDEN});
  EXPECT_EQ(NamesIn(folder_), std::vector<std::string>{"rasphone.pbk"});
}

TEST_F(EntryMakerRun, APhonebookHeldOpenElsewhereOrReadOnlyStaysAsItWas) {
  HANDLE held = CreateFileA(phonebook_.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  ExpectFailureMessage();
  CloseHandle(held);
  EXPECT_EQ(ReadAll(phonebook_), seed_);

  ASSERT_TRUE(SetFileAttributesA(phonebook_.c_str(), FILE_ATTRIBUTE_READONLY));
  ExpectFailureMessage();
  EXPECT_TRUE(SetFileAttributesA(phonebook_.c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(ReadAll(phonebook_), seed_);
  EXPECT_EQ(NamesIn(folder_), std::vector<std::string>{"rasphone.pbk"});
}

TEST_F(EntryMakerRun, WithoutAppDataTheMessageIsShownOnce) {
  HKEY key = nullptr;
  ASSERT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Volatile Environment", 0, KEY_ALL_ACCESS, &key), 0);
  const std::string appData = AppData();
  RegDeleteValueA(key, "APPDATA");
  ExpectFailureMessage();
  RegSetValueExA(key, "APPDATA", 0, REG_SZ, reinterpret_cast<const BYTE*>(appData.c_str()),
                 static_cast<DWORD>(appData.size() + 1));
  RegCloseKey(key);
  EXPECT_EQ(ReadAll(phonebook_), seed_);
}

}  // namespace
