// InitWriter's page under Wine, driven by the robot: its layout, and the APN it writes into the
// real driver key of the modem the library installed in the prefix.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "InfInstall.h"
#include "beside_program.h"
#include "modem_devices.h"
#include "robot.h"
#include "shown_bitmap.h"
#include "wine_test_support.h"

namespace {

using robot::DluRect;

constexpr char kProgram[] = "InitWriter.exe";
constexpr char kFailure[] = "Can't setup APN to GPRS modem, please check the modem setting first.";

class InitWriterPage : public KitProgramTest {
 protected:
  InitWriterPage() : KitProgramTest(kProgram) {}
  void InstallModem() {
    ASSERT_EQ(MdmInstallModem(BesideProgram("wwandev.inf").c_str(), "COM4", kModemHardwareId), 0)
        << g_szError;
  }
  HWND Start() { return KitProgramTest::Start("APN"); }
  std::string UserInit() {
    const auto modems = FindModems(kModemHardwareId);
    return modems.empty() ? "(no modem)" : modems[0].userInit;
  }
};

TEST_F(InitWriterPage, IsLaidOutAsItsTemplate) {
  HWND page = Start();
  ASSERT_NE(page, nullptr);
  const robot::Dialog dialog = robot::ReadDialog(page);
  EXPECT_FALSE(dialog.hasSystemMenu());
  EXPECT_TRUE(dialog.isAppWindow());
  // No system menu, so no close, minimise or maximise box either.
  EXPECT_EQ(Hex(dialog.style), Hex(kPageFrame));
  EXPECT_EQ(Hex(dialog.exStyle), Hex(kPageFrameEx | WS_EX_APPWINDOW));
  ASSERT_TRUE(dialog.font.has_value());
  EXPECT_EQ(dialog.font->face, "Microsoft Sans Serif");
  EXPECT_EQ(dialog.font->pointSize, 8);
  EXPECT_EQ(dialog.client, (DluRect{0, 0, 264, 196}));
  ASSERT_NO_FATAL_FAILURE(ExpectLayout(
      dialog,
      {{IDOK, "Button", "Next", kShownChild | WS_TABSTOP | BS_DEFPUSHBUTTON, {207, 175, 50, 14}},
       {-1,
        "Static",
        "If no need APN, keep space and click Next. Less than 21 characters",
        kShownChild | WS_GROUP | SS_LEFT,
        {101, 23, 139, 22}},
       {1000,
        "Edit",
        "",
        kShownChild | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL,
        {109, 142, 140, 14},
        kBorderedControl},
       {-1, "Button", "APN", kShownChild | BS_GROUPBOX, {98, 126, 159, 40}},
       {-1, "Static", nullptr, kShownChild | SS_BITMAP, {6, 7, 0, 0}}}));
  ExpectShowsBitmap(dialog.controls[4].window, KitFolder() + "\\" + kProgram, 129, 119, 258, 4);
  EXPECT_EQ(robot::TabOrder(page), (std::vector<int>{IDOK, 1000}));
  EXPECT_EQ(robot::DefaultButtonId(page), IDOK);
  EXPECT_EQ(robot::FocusedWindow(page), GetDlgItem(page, IDOK));
  SaveScreenshot(page, "initwriter_apn_page");
}

TEST_F(InitWriterPage, WritesTheApnAsTypedAndEndsQuietly) {
  ASSERT_NO_FATAL_FAILURE(InstallModem());
  const struct {
    const char* typed;
    const char* written;
  } cases[] = {{"internet", "E1;+CGDCONT=\"internet\";+CGQREQ=1"},
               {"", "E1;+CGDCONT=\"\";+CGQREQ=1"},
               {"a\"b;c%s", "E1;+CGDCONT=\"a\"b;c%s\";+CGQREQ=1"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.typed);
    HWND page = Start();
    ASSERT_NE(page, nullptr);
    HWND edit = GetDlgItem(page, 1000);
    robot::TypeText(edit, c.typed);
    // Enter in the edit box is "Next", the default button.
    ASSERT_TRUE(robot::Focus(page, edit));
    ASSERT_EQ(robot::FocusedWindow(page), edit);
    robot::PressEnter(page);
    ExpectEndsQuietly();
    EXPECT_EQ(UserInit(), c.written);
  }
}

TEST_F(InitWriterPage, EscWritesNothingAndLeavesThePageOpen) {
  ASSERT_NO_FATAL_FAILURE(InstallModem());
  HWND page = Start();
  ASSERT_NE(page, nullptr);
  robot::TypeText(GetDlgItem(page, 1000), "internet");
  robot::PressEscape(page);
  robot::RoundTrip(page);
  EXPECT_TRUE(IsWindowVisible(page));
  EXPECT_EQ(UserInit(), "");
  robot::Click(GetDlgItem(page, IDOK));
  ExpectEndsQuietly();
}

TEST_F(InitWriterPage, WithoutTheModemTheFailureIsShownOnce) {
  HWND page = Start();
  ASSERT_NE(page, nullptr);
  robot::TypeText(GetDlgItem(page, 1000), "internet");
  robot::Click(GetDlgItem(page, IDOK));
  HWND box = robot::WaitForWindow(process_.id(), "");
  ASSERT_NE(box, nullptr) << "no failure message";
  const robot::MessageBoxContent message = robot::ReadMessageBox(box);
  EXPECT_EQ(message.text, kFailure);
  EXPECT_EQ(message.owner, page);
  EXPECT_FALSE(message.hasIcon);
  ASSERT_EQ(message.buttons.size(), 1u);
  EXPECT_EQ(message.buttons[0].id, IDOK);
  SaveScreenshot(box, "initwriter_failed");
  robot::Click(message.buttons[0].window);
  ExpectEndsQuietly();
}

}  // namespace
