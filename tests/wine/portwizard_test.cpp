// PortWizard's own pages under Wine, driven by the robot the way a user would: the layout of each
// page against its template, every way of leaving them, and the install they lead to.

#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "beside_program.h"
#include "modem_devices.h"
#include "port_devices.h"
#include "robot.h"
#include "shown_bitmap.h"
#include "wine_test_support.h"

namespace {

using robot::DluRect;

constexpr char kProgram[] = "PortWizard.exe";
constexpr char kVersionKey[] = "Software\\Microsoft\\Windows NT\\CurrentVersion";

// The kit's own INF with another name for the modem, as someone could leave it in a folder they
// start PortWizard from.
bool PlantInf(const std::string& folder) {
  std::ifstream kit(KitFolder() + "\\wwandev.inf", std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(kit)), std::istreambuf_iterator<char>());
  const std::string name = "GprsModem=\"GPRS Modem\"";
  const size_t at = text.find(name);
  if (at == std::string::npos) return false;
  text.replace(at, name.size(), "GprsModem=\"Planted Modem\"");
  CreateDirectoryA(folder.c_str(), nullptr);
  std::ofstream(folder + "\\wwandev.inf", std::ios::binary | std::ios::trunc) << text;
  return true;
}

class PortWizardPages : public KitProgramTest {
 protected:
  PortWizardPages() : KitProgramTest(kProgram) {}
  HWND Start(const char* caption = "GPRS Modem", const std::string& folder = KitFolder(),
             const std::string& programFolder = KitFolder()) {
    return KitProgramTest::Start(caption, folder, programFolder);
  }
};

TEST_F(PortWizardPages, TheInstallPageIsLaidOutAsItsTemplate) {
  HWND page = Start();
  ASSERT_NE(page, nullptr);
  const robot::Dialog dialog = robot::ReadDialog(page);
  EXPECT_TRUE(dialog.hasSystemMenu());
  EXPECT_EQ(Hex(dialog.style), Hex(kPageFrame | WS_SYSMENU));
  EXPECT_EQ(Hex(dialog.exStyle), Hex(kPageFrameEx));
  ASSERT_TRUE(dialog.font.has_value());
  EXPECT_EQ(dialog.font->face, "Microsoft Sans Serif");
  EXPECT_EQ(dialog.font->pointSize, 8);
  EXPECT_EQ(dialog.client, (DluRect{0, 0, 264, 196}));
  ASSERT_NO_FATAL_FAILURE(ExpectLayout(
      dialog,
      {{IDOK, "Button", "Next", kShownChild | WS_TABSTOP | BS_DEFPUSHBUTTON, {169, 175, 38, 14}},
       {IDCANCEL, "Button", "Cancel", kShownChild | WS_TABSTOP | BS_PUSHBUTTON, {222, 175, 35, 14}},
       {-1, "Static", nullptr, kShownChild | SS_BITMAP, {7, 7, 0, 0}},
       {-1, "Button", "Install GPRS Modem", kShownChild | BS_GROUPBOX, {97, 7, 160, 159}},
       // The template makes neither radio button a tab stop; the platform makes the checked one
       // of a group one, so that the keyboard can reach the group.
       {1002,
        "Button",
        "Yes, install modem",
        kShownChild | WS_GROUP | WS_TABSTOP | BS_AUTORADIOBUTTON,
        {108, 31, 89, 14}},
       {1003,
        "Button",
        "No, don't install modem",
        kShownChild | BS_AUTORADIOBUTTON,
        {108, 49, 93, 10}}}));
  ExpectShowsBitmap(dialog.controls[2].window, KitFolder() + "\\" + kProgram, 131, 119, 258, 4);
  EXPECT_EQ(robot::TabOrder(page), (std::vector<int>{IDOK, IDCANCEL, 1002}));
  EXPECT_EQ(robot::DefaultButtonId(page), IDOK);
  EXPECT_EQ(robot::FocusedWindow(page), GetDlgItem(page, IDOK));
  EXPECT_TRUE(robot::IsChecked(GetDlgItem(page, 1002)));
  EXPECT_FALSE(robot::IsChecked(GetDlgItem(page, 1003)));
  SaveScreenshot(page, "portwizard_install_page");
  robot::Click(GetDlgItem(page, IDCANCEL));
  ExpectEndsQuietly();
}

TEST_F(PortWizardPages, EveryWayOfLeavingThePageInstallsNothing) {
  const struct {
    const char* how;
    void (*leave)(HWND page);
  } ways[] = {
      {"No, then Next",
       [](HWND page) {
         robot::Click(GetDlgItem(page, 1003));
         robot::Click(GetDlgItem(page, IDOK));
       }},
      {"Cancel", [](HWND page) { robot::Click(GetDlgItem(page, IDCANCEL)); }},
      {"Esc", [](HWND page) { robot::PressEscape(page); }},
      {"the close box", [](HWND page) { robot::PressCloseBox(page); }},
  };
  for (const auto& way : ways) {
    SCOPED_TRACE(way.how);
    HWND page = Start();
    ASSERT_NE(page, nullptr);
    way.leave(page);
    ExpectEndsQuietly();
    EXPECT_TRUE(FindModems(kModemHardwareId).empty());
  }
}

TEST_F(PortWizardPages, ThePickedPortGetsTheModem) {
  // COM3 made after COM1 and COM4: a sorted list would show it second.
  ASSERT_EQ(MakePresentDevice(kPortsClassGuid, "Ports", "COM3", nullptr, 0), nullptr);
  // Started from a folder that holds an INF of someone else's: the modem comes from the kit's.
  const std::string planted = BesideProgram("planted-inf");
  ASSERT_TRUE(PlantInf(planted));
  HWND page = Start("GPRS Modem", planted);
  ASSERT_NE(page, nullptr);
  robot::Click(GetDlgItem(page, IDOK));
  HWND ports = robot::WaitForWindow(process_.id(), "COM Port Select");
  ASSERT_NE(ports, nullptr);

  const robot::Dialog dialog = robot::ReadDialog(ports);
  EXPECT_TRUE(dialog.isAppWindow());
  EXPECT_TRUE(dialog.hasSystemMenu());
  EXPECT_EQ(Hex(dialog.style), Hex(kPageFrame | WS_SYSMENU));
  EXPECT_EQ(Hex(dialog.exStyle), Hex(kPageFrameEx | WS_EX_APPWINDOW));
  EXPECT_EQ(dialog.owner, page);
  EXPECT_FALSE(IsWindowEnabled(page));
  ASSERT_TRUE(dialog.font.has_value());
  EXPECT_EQ(dialog.font->face, "MS Sans Serif");
  EXPECT_EQ(dialog.font->pointSize, 8);
  EXPECT_EQ(dialog.client, (DluRect{0, 0, 175, 146}));
  ExpectLayout(
      dialog,
      {{IDOK, "Button", "OK", kShownChild | WS_TABSTOP | BS_DEFPUSHBUTTON, {61, 122, 50, 16}},
       {-1, "Static", "COM port select", kShownChild | WS_GROUP | SS_LEFT, {7, 7, 74, 8}},
       // WS_VSCROLL is the template's too, but without LBS_DISABLENOSCROLL the list hides its
       // scroll bar, and the bit with it, while its entries fit: ThePortListScrollsOnceItOverflows
       // sees it come.
       {1001,
        "ListBox",
        "",
        kShownChild | WS_TABSTOP | LBS_SORT | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
        {7, 19, 161, 94},
        kBorderedControl}});
  EXPECT_EQ(robot::DefaultButtonId(ports), IDOK);
  EXPECT_EQ(robot::FocusedWindow(ports), GetDlgItem(ports, IDOK));
  HWND list = GetDlgItem(ports, 1001);
  EXPECT_EQ(robot::ListBoxItems(list), (std::vector<std::string>{"COM1", "COM4", "COM3"}));
  EXPECT_EQ(robot::ListBoxSelection(list), 0);
  SaveScreenshot(ports, "portwizard_port_dialog");

  // The port must be chosen: Esc and the close box leave the dialog up.
  robot::PressEscape(ports);
  robot::PressCloseBox(ports);
  robot::RoundTrip(ports);
  EXPECT_TRUE(IsWindowVisible(ports));

  robot::SelectListBoxItem(list, 1);
  robot::Click(GetDlgItem(ports, IDOK));
  ExpectEndsQuietly();
  RemovePort("COM3");
  const auto modems = FindModems(kModemHardwareId);
  ASSERT_EQ(modems.size(), 1u);
  EXPECT_EQ(modems[0].attachedTo, "COM4");
  EXPECT_EQ(modems[0].friendlyName, "GPRS Modem");
}

TEST_F(PortWizardPages, ThePortListScrollsOnceItOverflows) {
  HWND page = Start();
  ASSERT_NE(page, nullptr);
  robot::Click(GetDlgItem(page, IDOK));
  HWND ports = robot::WaitForWindow(process_.id(), "COM Port Select");
  ASSERT_NE(ports, nullptr);
  HWND list = GetDlgItem(ports, 1001);
  // Far more entries than the list's 94 units show, after the program's own.
  for (int i = 0; i < 30; ++i) {
    DWORD_PTR index = 0;
    ASSERT_NE(SendMessageTimeoutW(list, LB_INSERTSTRING, static_cast<WPARAM>(-1),
                                  reinterpret_cast<LPARAM>(L"COM99"), SMTO_ABORTIFHUNG,
                                  robot::kMessageTimeoutMs, &index),
              0);
    ASSERT_NE(index, static_cast<DWORD_PTR>(LB_ERR));
  }
  EXPECT_EQ(
      Hex(static_cast<DWORD>(GetWindowLongA(list, GWL_STYLE))),
      Hex(kShownChild | WS_TABSTOP | WS_VSCROLL | LBS_SORT | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT));
}

TEST_F(PortWizardPages, WithoutTheInfTheLibrarysTextIsShown) {
  // A copy of the program and its library in a folder without the INF, started from the kit's
  // folder, which has one: the INF is looked for beside the program alone.
  const std::string bare = BesideProgram("kit-without-inf");
  CreateDirectoryA(bare.c_str(), nullptr);
  for (const char* file : {kProgram, "InfInstall.dll"})
    ASSERT_TRUE(CopyFileA((KitFolder() + "\\" + file).c_str(), (bare + "\\" + file).c_str(), FALSE))
        << file;
  HWND page = Start("GPRS Modem", KitFolder(), bare);
  ASSERT_NE(page, nullptr);
  robot::Click(GetDlgItem(page, IDOK));
  HWND ports = robot::WaitForWindow(process_.id(), "COM Port Select");
  ASSERT_NE(ports, nullptr);
  robot::Click(GetDlgItem(ports, IDOK));
  HWND box = robot::WaitForWindow(process_.id(), "PortWizard");
  ASSERT_NE(box, nullptr);
  const robot::MessageBoxContent message = robot::ReadMessageBox(box);
  EXPECT_EQ(message.text.rfind(".inf not found. FAILURE: ", 0), 0u) << message.text;
  EXPECT_EQ(message.owner, page);
  EXPECT_FALSE(message.hasIcon);
  ASSERT_EQ(message.buttons.size(), 1u);
  EXPECT_EQ(message.buttons[0].id, IDOK);
  SaveScreenshot(box, "portwizard_install_failed");
  robot::Click(message.buttons[0].window);
  ExpectEndsQuietly();
  EXPECT_TRUE(FindModems(kModemHardwareId).empty());
}

// What the prefix tells programs about the Windows version, for the length of one test.
class ReportedVersion {
 public:
  ReportedVersion() { RegOpenKeyExA(HKEY_LOCAL_MACHINE, kVersionKey, 0, KEY_ALL_ACCESS, &key_); }
  ReportedVersion(const ReportedVersion&) = delete;
  ReportedVersion& operator=(const ReportedVersion&) = delete;
  ~ReportedVersion() {
    for (const auto& [name, value] : saved_)
      RegSetValueExA(key_, name.c_str(), 0, value.first,
                     reinterpret_cast<const BYTE*>(value.second.data()),
                     static_cast<DWORD>(value.second.size()));
    if (key_) RegCloseKey(key_);
  }
  void Set(const char* version, const char* build, DWORD major, DWORD minor) {
    Write("CurrentVersion", REG_SZ, version, std::strlen(version) + 1);
    Write("CurrentBuildNumber", REG_SZ, build, std::strlen(build) + 1);
    Write("CurrentMajorVersionNumber", REG_DWORD, &major, sizeof major);
    Write("CurrentMinorVersionNumber", REG_DWORD, &minor, sizeof minor);
  }

 private:
  void Write(const char* name, DWORD type, const void* data, size_t size) {
    if (!saved_.count(name)) {
      std::string old(64, '\0');
      DWORD oldType = 0;
      DWORD oldSize = static_cast<DWORD>(old.size());
      if (RegQueryValueExA(key_, name, nullptr, &oldType, reinterpret_cast<BYTE*>(old.data()),
                           &oldSize) == ERROR_SUCCESS)
        saved_[name] = {oldType, old.substr(0, oldSize)};
    }
    RegSetValueExA(key_, name, 0, type, static_cast<const BYTE*>(data), static_cast<DWORD>(size));
  }
  HKEY key_ = nullptr;
  std::map<std::string, std::pair<DWORD, std::string>> saved_;
};

TEST_F(PortWizardPages, OnlyWindows2000AndLaterGetThePage) {
  const struct {
    const char* name;
    const char* version;
    const char* build;
    DWORD major, minor;
    bool supported;
  } versions[] = {
      {"Windows NT 4.0", "4.0", "1381", 4, 0, false}, {"Windows 2000", "5.0", "2195", 5, 0, true},
      {"Windows XP", "5.1", "2600", 5, 1, true},      {"Windows 7", "6.1", "7601", 6, 1, true},
      {"Windows 10", "10.0", "19045", 10, 0, true},
  };
  for (const auto& version : versions) {
    SCOPED_TRACE(version.name);
    ReportedVersion reported;
    reported.Set(version.version, version.build, version.major, version.minor);
    if (version.supported) {
      HWND page = Start();
      ASSERT_NE(page, nullptr);
      robot::Click(GetDlgItem(page, IDCANCEL));
    } else {
      HWND box = Start("Error");
      ASSERT_NE(box, nullptr);
      const robot::MessageBoxContent message = robot::ReadMessageBox(box);
      EXPECT_EQ(message.text, "Invalid window version");
      EXPECT_EQ(message.owner, nullptr);
      EXPECT_TRUE(message.hasIcon);
      ASSERT_EQ(message.buttons.size(), 1u);
      EXPECT_EQ(message.buttons[0].text, "OK");
      SaveScreenshot(box, "portwizard_invalid_version");
      robot::Click(message.buttons[0].window);
    }
    ExpectEndsQuietly();
    EXPECT_TRUE(FindModems(kModemHardwareId).empty());
  }
}

// The test is built for the kit's architecture, so it runs under WOW64 exactly when the program
// does: only a 32-bit Wine in a 64-bit prefix makes the case.
TEST_F(PortWizardPages, TheThirtyTwoBitKitOnSixtyFourBitWindowsInstallsNothing) {
  BOOL underWow64 = FALSE;
  ASSERT_TRUE(IsWow64Process(GetCurrentProcess(), &underWow64));
  if (!underWow64) GTEST_SKIP() << "the kit runs natively here";
  HWND box = Start("PortWizard");
  ASSERT_NE(box, nullptr);
  const robot::MessageBoxContent message = robot::ReadMessageBox(box);
  EXPECT_EQ(message.text,
            "This is the 32-bit set-up kit. On 64-bit Windows, please use the 64-bit kit.");
  EXPECT_EQ(message.owner, nullptr);
  EXPECT_TRUE(message.hasIcon);
  ASSERT_EQ(message.buttons.size(), 1u);
  SaveScreenshot(box, "portwizard_wrong_build");
  robot::Click(message.buttons[0].window);
  ExpectEndsQuietly();
  EXPECT_TRUE(FindModems(kModemHardwareId).empty());
}

}  // namespace
