// The UI robot against its practice dialog, which runs in a process of its own as the kit's pages
// will: what the robot reads must be what the template says, and what it does must reach the
// dialog the way the user's own input does.

#include <gtest/gtest.h>

#include <iterator>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "beside_program.h"
#include "robot.h"
#include "robot_target.h"

namespace {

using robot::DluRect;

constexpr char kTarget[] = "robot_target.exe";
constexpr char kCaption[] = "Robot Target";
constexpr char kResultCaption[] = "Robot Target Result";

class RobotTarget : public ::testing::Test {
 protected:
  // Use with ASSERT_NO_FATAL_FAILURE.
  void Start(const std::string& arguments = "") {
    ASSERT_TRUE(robot::LetWineManageWindows(kTarget));
    process_ = robot::Process::Start(BesideProgram(kTarget), arguments, BesideProgram(""));
    ASSERT_TRUE(process_.started()) << "error " << process_.startError();
    dialog_ = robot::WaitForWindow(process_.id(), kCaption);
    ASSERT_NE(dialog_, nullptr) << "the dialog did not come up";
  }

  HWND Item(int id) const { return GetDlgItem(dialog_, id); }

  HWND WaitForResult() const { return robot::WaitForWindow(process_.id(), kResultCaption); }

  void ExpectExit(DWORD code) {
    ASSERT_TRUE(process_.WaitForExit()) << "the program is still running";
    EXPECT_EQ(process_.ExitCode(), std::optional<DWORD>(code));
  }

  robot::Process process_;
  HWND dialog_ = nullptr;
};

struct ExpectedControl {
  int id = 0;
  const char* className = nullptr;
  const char* text = nullptr;
  DWORD typeMask = 0;  // the bits of the style that say what kind of control it is
  DWORD type = 0;
  DWORD tabAndGroup = 0;  // WS_TABSTOP and WS_GROUP as the template leaves them
  DluRect units;
};

// robot_target.rc, in template order.
const ExpectedControl kLayout[] = {
    {IDOK, "Button", "Next", BS_TYPEMASK, BS_DEFPUSHBUTTON, WS_TABSTOP, {106, 119, 50, 14}},
    {IDCANCEL, "Button", "Cancel", BS_TYPEMASK, BS_PUSHBUTTON, WS_TABSTOP, {163, 119, 50, 14}},
    {IDC_CHOICE_GROUP, "Button", "Choice", BS_TYPEMASK, BS_GROUPBOX, 0, {7, 7, 100, 40}},
    {IDC_FIRST_OPTION,
     "Button",
     "First",
     BS_TYPEMASK,
     BS_AUTORADIOBUTTON,
     WS_TABSTOP | WS_GROUP,
     {14, 18, 80, 10}},
    {IDC_SECOND_OPTION, "Button", "Second", BS_TYPEMASK, BS_AUTORADIOBUTTON, 0, {14, 30, 80, 10}},
    {IDC_NAMES,
     "ListBox",
     "",
     LBS_SORT | LBS_NOTIFY | LBS_MULTIPLESEL | LBS_NOINTEGRALHEIGHT,
     LBS_SORT | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
     WS_TABSTOP,
     {114, 7, 99, 60}},
    {IDC_NAME_LABEL, "Static", "Name:", SS_TYPEMASK, SS_LEFT, WS_GROUP, {7, 55, 40, 8}},
    {IDC_NAME,
     "Edit",
     "",
     ES_AUTOHSCROLL | ES_MULTILINE | ES_PASSWORD | ES_READONLY,
     ES_AUTOHSCROLL,
     WS_TABSTOP,
     {7, 66, 100, 14}},
    {IDC_PICKED, "Static", "Nothing picked", SS_TYPEMASK, SS_LEFT, WS_GROUP, {114, 72, 99, 8}},
    // 16 by 16 pixels, the bitmap's own size, are 9 by 10 units at the dialog's 7 by 13 pixels.
    {IDC_PICTURE, "Static", "", SS_TYPEMASK, SS_BITMAP, 0, {7, 90, 9, 10}},
};

TEST_F(RobotTarget, ReadsTheDialogAsTheTemplateLaysItOut) {
  ASSERT_NO_FATAL_FAILURE(Start());
  const robot::Dialog dialog = robot::ReadDialog(dialog_);

  EXPECT_EQ(dialog.caption, kCaption);
  EXPECT_TRUE(dialog.hasSystemMenu());
  EXPECT_TRUE(dialog.isAppWindow());
  EXPECT_EQ(dialog.style & (WS_CAPTION | WS_POPUP | DS_MODALFRAME),
            static_cast<DWORD>(WS_CAPTION | WS_POPUP | DS_MODALFRAME));
  EXPECT_EQ(dialog.owner, nullptr);
  EXPECT_TRUE(dialog.enabled);
  ASSERT_TRUE(dialog.font.has_value()) << "no template in the program matched the dialog";
  EXPECT_EQ(dialog.font->face, "MS Shell Dlg");
  EXPECT_EQ(dialog.font->pointSize, 8);
  EXPECT_EQ(dialog.client, (DluRect{0, 0, 220, 140}));

  ASSERT_EQ(dialog.controls.size(), std::size(kLayout));
  for (size_t i = 0; i < dialog.controls.size(); ++i) {
    const robot::Control& control = dialog.controls[i];
    const ExpectedControl& expected = kLayout[i];
    SCOPED_TRACE("control " + std::to_string(expected.id));
    EXPECT_EQ(control.id, expected.id);
    EXPECT_EQ(control.className, expected.className);
    EXPECT_EQ(control.text, expected.text);
    EXPECT_EQ(control.style & expected.typeMask, expected.type);
    EXPECT_EQ(control.style & (WS_TABSTOP | WS_GROUP), expected.tabAndGroup);
    EXPECT_EQ(control.units, expected.units);
    EXPECT_TRUE(control.enabled);
    EXPECT_TRUE(control.visible);
  }
  const robot::Control* picture = dialog.Find(IDC_PICTURE);
  ASSERT_NE(picture, nullptr);
  EXPECT_EQ(picture->pixels.right - picture->pixels.left, 16);
  EXPECT_EQ(picture->pixels.bottom - picture->pixels.top, 16);
  EXPECT_EQ(dialog.Find(12345), nullptr);

  // The radio buttons after the first of their group are no tab stops; the group box, the
  // labels and the picture are none either.
  EXPECT_EQ(robot::TabOrder(dialog_),
            (std::vector<int>{IDOK, IDCANCEL, IDC_FIRST_OPTION, IDC_NAMES, IDC_NAME}));
  EXPECT_EQ(robot::DefaultButtonId(dialog_), IDOK);
  // The template puts the default button first, so the dialog manager gives it the focus.
  EXPECT_EQ(robot::FocusedWindow(dialog_), Item(IDOK));
}

TEST_F(RobotTarget, PhotographsTheDialogAsShown) {
  ASSERT_NO_FATAL_FAILURE(Start());
  const std::optional<robot::Image> shot = robot::CaptureWindow(dialog_);
  ASSERT_TRUE(shot.has_value());
  RECT window = {};
  ASSERT_TRUE(GetWindowRect(dialog_, &window));
  ASSERT_EQ(shot->width, window.right - window.left);
  ASSERT_EQ(shot->height, window.bottom - window.top);

  const std::string path = BesideProgram("robot_target_shot.bmp");
  ASSERT_TRUE(robot::WriteBitmapFile(*shot, path));
  const std::optional<robot::Image> saved = robot::ReadBitmapFile(path);
  ASSERT_TRUE(saved.has_value()) << path;
  EXPECT_TRUE(*saved == *shot) << "the file does not hold the picture taken";

  std::set<COLORREF> colours;
  for (int y = 0; y < shot->height; ++y) {
    for (int x = 0; x < shot->width; ++x) colours.insert(shot->Pixel(x, y));
  }
  EXPECT_GT(colours.size(), 4u) << "the picture is nearly uniform";

  POINT client = {0, 0};
  ASSERT_TRUE(ClientToScreen(dialog_, &client));
  const int dx = client.x - window.left;
  const int dy = client.y - window.top;
  // The dialog's face, just inside its client area.
  EXPECT_EQ(shot->Pixel(dx + 2, dy + 2), GetSysColor(COLOR_BTNFACE));
  // The caption bar, which Wine draws for the windows it manages itself: not the black of a
  // screen with nothing on it.
  EXPECT_NE(shot->Pixel(shot->width / 2, dy / 2), RGB(0, 0, 0));
  // The bitmap's checkerboard: blue in the top-left square, red in the one beside it.
  const robot::Dialog dialog = robot::ReadDialog(dialog_);
  const robot::Control* picture = dialog.Find(IDC_PICTURE);
  ASSERT_NE(picture, nullptr);
  const int x = dx + picture->pixels.left;
  const int y = dy + picture->pixels.top;
  EXPECT_EQ(shot->Pixel(x + 1, y + 1), RGB(0, 0, 255));
  EXPECT_EQ(shot->Pixel(x + 5, y + 1), RGB(255, 0, 0));
  EXPECT_EQ(shot->Pixel(x + 5, y + 5), RGB(0, 0, 255));
}

TEST_F(RobotTarget, EscapeCancels) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_TRUE(robot::PressEscape(dialog_));
  ExpectExit(TARGET_EXIT_CANCEL);
}

TEST_F(RobotTarget, CancelButtonCancels) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_TRUE(robot::Click(Item(IDCANCEL)));
  ExpectExit(TARGET_EXIT_CANCEL);
}

TEST_F(RobotTarget, CloseBoxCloses) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_TRUE(robot::PressCloseBox(dialog_));
  ExpectExit(TARGET_EXIT_CLOSE_BOX);
}

TEST_F(RobotTarget, EnterPressesTheDefaultButton) {
  ASSERT_NO_FATAL_FAILURE(Start());
  ASSERT_TRUE(robot::PressEnter(dialog_));

  HWND box = WaitForResult();
  ASSERT_NE(box, nullptr) << "no message box came up";
  const robot::MessageBoxContent content = robot::ReadMessageBox(box);
  EXPECT_EQ(content.caption, kResultCaption);
  EXPECT_EQ(content.text, "Picked nothing, option First, name \"\".");
  EXPECT_TRUE(content.hasIcon);
  EXPECT_NE(content.iconId, 0);
  EXPECT_EQ(content.owner, dialog_);
  ASSERT_EQ(content.buttons.size(), 1u);
  EXPECT_EQ(content.buttons[0].id, IDOK);
  EXPECT_EQ(content.buttons[0].text, "OK");
  // The box is modal: its owner takes no input until it goes.
  EXPECT_FALSE(robot::ReadDialog(dialog_).enabled);

  ASSERT_TRUE(robot::Click(content.buttons[0].window));
  EXPECT_TRUE(robot::WaitForWindowToClose(box));
  ExpectExit(TARGET_EXIT_OK);
}

TEST_F(RobotTarget, DrivesEachKindOfControl) {
  ASSERT_NO_FATAL_FAILURE(Start());

  HWND names = Item(IDC_NAMES);
  EXPECT_EQ(robot::ListBoxItems(names), (std::vector<std::string>{"Alpha", "Bravo", "Charlie"}));
  EXPECT_EQ(robot::ListBoxSelection(names), -1);
  ASSERT_TRUE(robot::SelectListBoxItem(names, 1));
  EXPECT_EQ(robot::ListBoxSelection(names), 1);
  EXPECT_EQ(robot::WindowText(Item(IDC_PICKED)), "Picked Bravo") << "LBN_SELCHANGE got lost";
  EXPECT_FALSE(robot::SelectListBoxItem(names, 3));

  EXPECT_TRUE(robot::IsChecked(Item(IDC_FIRST_OPTION)));
  EXPECT_FALSE(robot::IsChecked(Item(IDC_SECOND_OPTION)));
  ASSERT_TRUE(robot::Click(Item(IDC_SECOND_OPTION)));
  EXPECT_TRUE(robot::PollUntil([&] { return robot::IsChecked(Item(IDC_SECOND_OPTION)); },
                               robot::kDefaultTimeoutMs));
  EXPECT_FALSE(robot::IsChecked(Item(IDC_FIRST_OPTION)));
  EXPECT_EQ(robot::FocusedWindow(dialog_), Item(IDC_SECOND_OPTION));

  HWND name = Item(IDC_NAME);
  ASSERT_TRUE(robot::TypeText(name, "Zed"));
  EXPECT_EQ(robot::WindowText(name), "Zed");
  ASSERT_TRUE(robot::SetText(name, "Yann"));
  EXPECT_EQ(robot::WindowText(name), "Yann");

  // The focus is on a radio button, so Enter goes to the default button.
  ASSERT_TRUE(robot::PressEnter(dialog_));
  HWND box = WaitForResult();
  ASSERT_NE(box, nullptr) << "no message box came up";
  EXPECT_EQ(robot::ReadMessageBox(box).text, "Picked Bravo, option Second, name \"Yann\".");
  ASSERT_TRUE(robot::PressEnter(box));
  ExpectExit(TARGET_EXIT_OK);
}

TEST_F(RobotTarget, ReadsAMessageBoxWithoutIcon) {
  ASSERT_NO_FATAL_FAILURE(Start("plain"));
  ASSERT_TRUE(robot::Click(Item(IDOK)));
  HWND box = WaitForResult();
  ASSERT_NE(box, nullptr) << "no message box came up";
  const robot::MessageBoxContent content = robot::ReadMessageBox(box);
  EXPECT_EQ(content.text, "Picked nothing, option First, name \"\".");
  EXPECT_FALSE(content.hasIcon);
  ASSERT_TRUE(robot::PressEscape(box));
  ExpectExit(TARGET_EXIT_OK);
}

TEST_F(RobotTarget, WaitsForAWindowOnlyAsLongAsItIsTold) {
  ASSERT_NO_FATAL_FAILURE(Start());
  const DWORD start = GetTickCount();
  EXPECT_EQ(robot::WaitForWindow(process_.id(), "No Such Caption", robot::kDialogClass, 300),
            nullptr);
  const DWORD waited = GetTickCount() - start;
  EXPECT_GE(waited, 300u);
  EXPECT_LT(waited, 3000u);
  // The right caption in another process, or with another class, is not the window asked for.
  EXPECT_EQ(robot::WaitForWindow(GetCurrentProcessId(), kCaption, robot::kDialogClass, 100),
            nullptr);
  EXPECT_EQ(robot::WaitForWindow(process_.id(), kCaption, "Button", 100), nullptr);
}

TEST_F(RobotTarget, EndsAProgramItNoLongerHolds) {
  ASSERT_NO_FATAL_FAILURE(Start());
  {
    robot::Process held = std::move(process_);
    EXPECT_FALSE(held.ExitCode().has_value()) << "the program ended on its own";
    EXPECT_FALSE(held.WaitForExit(0));
  }
  EXPECT_TRUE(robot::WaitForWindowToClose(dialog_));
  EXPECT_FALSE(process_.started());
}

TEST(RobotProcess, ReportsAProgramThatCannotStart) {
  robot::Process process = robot::Process::Start(BesideProgram("no_such_program.exe"));
  EXPECT_FALSE(process.started());
  EXPECT_EQ(process.startError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_FALSE(process.WaitForExit(0));
  EXPECT_FALSE(process.ExitCode().has_value());
}

}  // namespace
