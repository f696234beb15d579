#include <string>
#include <vector>

#include "dll_search.h"
#include "install_run.h"
#include "platform.h"
#include "port_choice.h"
#include "resource.h"
#include "sim_test.h"
#include "version_check.h"

namespace {

std::vector<std::string> Split(const char* list) {
  std::vector<std::string> pieces;
  PortListReader reader(list);
  char piece[kTextCapacity];
  while (reader.Next(piece)) pieces.push_back(piece);
  return pieces;
}

TEST(PortWizardVersionTest, OnlyTheNtFamilyFromVersionFiveOn) {
  for (DWORD platform : {0u, 1u, 2u}) {
    for (DWORD major = 3; major <= 10; ++major) {
      EXPECT_EQ(IsSupportedVersion(platform, major), platform == 2 && major >= 5)
          << "platform " << platform << ", version " << major;
    }
  }
}

TEST(PortWizardPortListTest, SplitsAtCommasWithoutEmptyPieces) {
  EXPECT_EQ(Split("COM1,COM4,"), (std::vector<std::string>{"COM1", "COM4"}));
  EXPECT_EQ(Split(",,COM3,,,COM1,,"), (std::vector<std::string>{"COM3", "COM1"}));
  EXPECT_EQ(Split("COM2"), (std::vector<std::string>{"COM2"}));
  EXPECT_TRUE(Split("").empty());
  EXPECT_TRUE(Split(",,,").empty());
  // A piece fills at most the 259 characters of its buffer; the rest of it is dropped, and the
  // pieces after it still come.
  const std::string fits(259, 'F');
  const std::string longer(300, 'L');
  EXPECT_EQ(Split((fits + ",COM1").c_str()), (std::vector<std::string>{fits, "COM1"}));
  EXPECT_EQ(Split((longer + ",COM1").c_str()),
            (std::vector<std::string>{longer.substr(0, 259), "COM1"}));
}

TEST(PortWizardPathTest, DirectorySeparatorAndName) {
  char path[kTextCapacity];
  EXPECT_TRUE(BuildInfPath("C:\\Kit", 6, "wwandev.inf", path));
  EXPECT_STREQ(path, "C:\\Kit\\wwandev.inf");
  // A drive's root already ends in a separator; the path then holds two.
  EXPECT_TRUE(BuildInfPath("C:\\", 3, "wwandev.inf", path));
  EXPECT_STREQ(path, "C:\\\\wwandev.inf");
}

TEST(PortWizardPathTest, RefusesAnUnreadableDirectoryAndAnythingOver259) {
  char path[kTextCapacity];
  const std::string fits(259 - 1 - 11, 'd');  // directory, separator and "wwandev.inf": 259
  EXPECT_TRUE(BuildInfPath(fits.c_str(), static_cast<DWORD>(fits.size()), "wwandev.inf", path));
  EXPECT_EQ(std::string(path).size(), 259u);
  const std::string tooLong(fits.size() + 1, 'd');
  EXPECT_FALSE(
      BuildInfPath(tooLong.c_str(), static_cast<DWORD>(tooLong.size()), "wwandev.inf", path));
  EXPECT_STREQ(path, "");
  EXPECT_FALSE(BuildInfPath("", 0, "wwandev.inf", path));         // could not be read
  EXPECT_FALSE(BuildInfPath("C:\\x", 300, "wwandev.inf", path));  // the size it would need
}

class PortWizardInstallTest : public SimTest {
 protected:
  void SetUp() override {
    SimTest::SetUp();
    winsim::SetStrings({{IDS_HARDWARE_ID, "WWAN_GENERIC"},
                        {IDS_INSTALL_FAILED, "Failed to create GPRS dial-up network entry"},
                        {IDS_INF_NAME, "wwandev.inf"},
                        {IDS_RESTART_NEEDED, "restart text"},
                        {IDS_FOLDER_UNUSABLE, "folder text"},
                        {IDS_PACKAGE_NOT_TRUSTED, "trust text"}});
    winsim::SetModulePath("C:\\Kit\\PortWizard.exe");
    winsim::AddFile("C:\\Kit\\wwandev.inf",
                    "[Version]\nClass=Modem\nClassGUID={4D36E96D-E325-11CE-BFC1-08002BE10318}\n");
    winsim::AddComPort("COM3");
    winsim::AddComPort("COM1");
    std::strcpy(g_szPort, "COM3");
  }
  void TearDown() override {
    g_szPort[0] = '\0';
    SimTest::TearDown();
  }
  std::string Message(InstallOutcome outcome, UINT& style) {
    char text[kMessageCapacity];
    return OutcomeMessage(outcome, text, style) ? text : "(none)";
  }
};

TEST_F(PortWizardInstallTest, InstallsFromItsOwnFolderOnThePickedPort) {
  // Started from a folder the user chose, which holds an INF of the user's own.
  winsim::SetCurrentDirectory(std::string("C:\\Users\\Public\\Downloads"));
  winsim::AddFile("C:\\Users\\Public\\Downloads\\wwandev.inf", "[Version]\nClass=Modem\n");
  char list[kTextCapacity];
  ASSERT_TRUE(ReadPortList(list));
  EXPECT_STREQ(list, "COM3,COM1,");

  EXPECT_EQ(RunInstall(), InstallOutcome::kInstalled);
  const auto update = winsim::CallsTo("UpdateDriverForPlugAndPlayDevicesA");
  ASSERT_EQ(update.size(), 1u);
  EXPECT_EQ(update[0].Text("fullInfPath"), "C:\\Kit\\wwandev.inf");
  EXPECT_EQ(update[0].Text("hardwareId"), "WWAN_GENERIC");
  const winsim::Device& modem = *winsim::Devices().back();
  EXPECT_EQ(modem.driverKey->at("AttachedTo"), winsim::Sz("COM3"));
  for (const auto& call : winsim::CallsTo("LoadStringA")) EXPECT_EQ(call.Number("bufferMax"), 260u);
  EXPECT_EQ(winsim::CallsTo("GetModuleFileNameA")[0].Number("size"), 260u);
  EXPECT_TRUE(winsim::CallsTo("GetCurrentDirectoryA").empty());

  winsim::Newdev().rebootRequired = true;
  EXPECT_EQ(RunInstall(), InstallOutcome::kRestartNeeded);
}

TEST_F(PortWizardInstallTest, AnUnusableFolderInstallsNothing) {
  winsim::FailCall("GetModuleFileNameA", 1, ERROR_ACCESS_DENIED);
  EXPECT_EQ(RunInstall(), InstallOutcome::kFolderUnusable);
  // A folder that leaves no room for the INF's name, and a path cut at the buffer's end.
  winsim::SetModulePath("C:\\" + std::string(250, 'k') + "\\P.exe");
  EXPECT_EQ(RunInstall(), InstallOutcome::kFolderUnusable);
  winsim::SetModulePath("C:\\" + std::string(300, 'k') + "\\PortWizard.exe");
  EXPECT_EQ(RunInstall(), InstallOutcome::kFolderUnusable);
  EXPECT_TRUE(winsim::CallsTo("FindFirstFileA").empty());
  EXPECT_TRUE(winsim::CallsTo("SetupDiGetClassDevsA").empty());
}

TEST_F(PortWizardInstallTest, AMissingInfFailsWithTheLibrarysText) {
  winsim::SetModulePath("D:\\Elsewhere\\PortWizard.exe");
  EXPECT_EQ(RunInstall(), InstallOutcome::kFailed);
  UINT style = 0xffff;
  EXPECT_EQ(Message(InstallOutcome::kFailed, style),
            ".inf not found. FAILURE: The system cannot find the file specified.\r\n\n");
  EXPECT_EQ(style, UINT{MB_OK});

  // With no port in the list, the port dialog's "OK" leaves the port empty: refused alike.
  winsim::SetModulePath("C:\\Kit\\PortWizard.exe");
  g_szPort[0] = '\0';
  EXPECT_EQ(RunInstall(), InstallOutcome::kFailed);
  EXPECT_EQ(Message(InstallOutcome::kFailed, style),
            "COM port FAILURE: The parameter is incorrect.\r\n\n");
  EXPECT_TRUE(winsim::CallsTo("SetupDiCreateDeviceInfoA").empty());
}

TEST_F(PortWizardInstallTest, EachOutcomeSaysWhatTheUserNeeds) {
  UINT style = 0xffff;
  EXPECT_EQ(Message(InstallOutcome::kInstalled, style), "(none)");
  EXPECT_EQ(Message(InstallOutcome::kRestartNeeded, style), "restart text");
  EXPECT_EQ(style, UINT{MB_OK | MB_ICONINFORMATION});
  EXPECT_EQ(Message(InstallOutcome::kFolderUnusable, style), "folder text");
  EXPECT_EQ(style, UINT{MB_OK});

  // A failure without a library text gets the program's own, in the library's buffer too.
  EXPECT_EQ(Message(InstallOutcome::kFailed, style), "Failed to create GPRS dial-up network entry");
  EXPECT_STREQ(g_szError, "Failed to create GPRS dial-up network entry");
  std::strcpy(g_szError, "Register Device 1\n FAILURE: (0xe000020b)\n");
  EXPECT_EQ(Message(InstallOutcome::kFailed, style), "Register Device 1\n FAILURE: (0xe000020b)\n");
  // Windows' refusal of the package's signature says what to do, and keeps the library's whole
  // text beside it; any other failure only the library's.
  for (const DWORD code : {0xE000022Fu, 0xE0000247u, 0x800B0100u, 0x800B0109u, 0x80096010u}) {
    winsim::FailCall("UpdateDriverForPlugAndPlayDevicesA", 1, code);
    EXPECT_EQ(RunInstall(), InstallOutcome::kNotTrusted) << std::hex << code;
  }
  winsim::FailCall("UpdateDriverForPlugAndPlayDevicesA", 1, 0xE0000241u);  // a trusted publisher
  EXPECT_EQ(RunInstall(), InstallOutcome::kFailed);
  const std::string library(259, 'x');
  std::memcpy(g_szError, library.c_str(), library.size() + 1);
  EXPECT_EQ(Message(InstallOutcome::kNotTrusted, style), "trust text\n" + library);
  EXPECT_EQ(style, UINT{MB_OK});
}

TEST_F(PortWizardInstallTest, TheVersionIsAskedOfTheRunningSystem) {
  EXPECT_TRUE(IsSupportedWindows());  // Windows XP
  EXPECT_EQ(winsim::CallsTo("GetVersionExA")[0].Number("size"), 148u);
  winsim::SetWindowsVersion(VER_PLATFORM_WIN32_NT, 4, 0);
  EXPECT_FALSE(IsSupportedWindows());
  winsim::SetWindowsVersion(VER_PLATFORM_WIN32_WINDOWS, 4, 10);
  EXPECT_FALSE(IsSupportedWindows());
  winsim::SetWindowsVersion(VER_PLATFORM_WIN32_NT, 10, 0);
  EXPECT_TRUE(IsSupportedWindows());
  winsim::FailCall("GetVersionExA", 1, ERROR_INVALID_PARAMETER);
  EXPECT_FALSE(IsSupportedWindows());
}

TEST_F(PortWizardInstallTest, TheThirtyTwoBitKitStopsOnSixtyFourBitWindows) {
  winsim::SetWindowsVersion(VER_PLATFORM_WIN32_NT, 10, 0);
  EXPECT_EQ(CheckSystem(), SystemFit::kInstall);
  winsim::SetWow64(true);
  EXPECT_EQ(CheckSystem(), SystemFit::kWrongBuild);
  EXPECT_EQ(winsim::CallsTo("IsWow64Process").size(), 2u);
  // The version comes first: an old system is told so, whatever it runs on.
  winsim::SetWindowsVersion(VER_PLATFORM_WIN32_NT, 4, 0);
  EXPECT_EQ(CheckSystem(), SystemFit::kUnsupportedWindows);
  // Windows 2000 and XP before SP2 lack IsWow64Process, and have no 64-bit edition under them.
  winsim::SetWindowsVersion(VER_PLATFORM_WIN32_NT, 5, 0);
  winsim::SetWow64(std::nullopt);
  EXPECT_EQ(CheckSystem(), SystemFit::kInstall);
  // A question the system cannot answer does not stop the install; the driver update would
  // still report its own failure.
  winsim::SetWow64(true);
  winsim::FailCall("IsWow64Process", 1, ERROR_ACCESS_DENIED);
  EXPECT_EQ(CheckSystem(), SystemFit::kInstall);
  EXPECT_EQ(CheckSystem(), SystemFit::kWrongBuild);
}

// Every program starts so: a DLL loaded by name later is looked for where a standard user cannot
// have put one, as far as the running Windows allows.
using ProgramStartTest = SimTest;

TEST_F(ProgramStartTest, NarrowsTheDllSearchAsFarAsWindowsAllows) {
  RestrictDllSearch();
  ASSERT_EQ(winsim::CallsTo("SetDefaultDllDirectories").size(), 1u);
  EXPECT_EQ(winsim::CallsTo("SetDefaultDllDirectories")[0].Number("directoryFlags"), 0x800u);
  EXPECT_TRUE(winsim::CallsTo("SetDllDirectoryA").empty());

  // Refused, or absent before Windows 8 without KB2533623: the current directory leaves the search.
  winsim::ClearCallLog();
  winsim::FailCall("SetDefaultDllDirectories", 1, ERROR_INVALID_PARAMETER);
  RestrictDllSearch();
  winsim::SetDllSearchFunctions(false, true);
  RestrictDllSearch();
  const auto narrowed = winsim::CallsTo("SetDllDirectoryA");
  ASSERT_EQ(narrowed.size(), 2u);
  EXPECT_EQ(narrowed[0].Text("pathName"), "");
  EXPECT_EQ(narrowed[1].Text("pathName"), "");

  // Windows 2000 has neither, and the program starts all the same.
  winsim::ClearCallLog();
  winsim::SetDllSearchFunctions(false, false);
  RestrictDllSearch();
  EXPECT_EQ(winsim::CallsTo("GetProcAddress").size(), 2u);
  EXPECT_TRUE(winsim::CallsTo("SetDllDirectoryA").empty());
}

}  // namespace
