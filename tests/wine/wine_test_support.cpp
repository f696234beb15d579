#include "wine_test_support.h"

#include <gtest/gtest.h>

#include "beside_program.h"
#include "modem_devices.h"

using robot::DluRect;

void SaveScreenshot(HWND window, const char* name) {
  EXPECT_TRUE(robot::SavePicture(window, BesideProgram("screenshots"), name))
      << "no picture of " << name;
}

void ExpectLayout(const robot::Dialog& dialog, const std::vector<Expected>& layout) {
  ASSERT_EQ(dialog.controls.size(), layout.size());
  for (size_t i = 0; i < layout.size(); ++i) {
    const robot::Control& control = dialog.controls[i];
    const Expected& expected = layout[i];
    SCOPED_TRACE(std::string("control ") + expected.text);
    EXPECT_EQ(control.id, expected.id);
    EXPECT_EQ(control.className, expected.className);
    EXPECT_EQ(control.text, expected.text);
    EXPECT_EQ(control.style & expected.typeMask, expected.type);
    EXPECT_EQ(control.style & (WS_TABSTOP | WS_GROUP), expected.tabAndGroup);
    // A picture takes its bitmap's own size: only its place is the template's.
    if (expected.units.cx == 0) {
      EXPECT_EQ(control.units.x, expected.units.x);
      EXPECT_EQ(control.units.y, expected.units.y);
    } else {
      EXPECT_EQ(control.units, expected.units);
    }
  }
}

void KitProgramTest::SetUp() {
  RemoveModems(kModemHardwareId);
  ASSERT_TRUE(robot::LetWineManageWindows(program_));
}

void KitProgramTest::TearDown() {
  process_ = robot::Process();  // ends a program still running
  RemoveModems(kModemHardwareId);
}

HWND KitProgramTest::Start(const char* caption, const std::string& folder) {
  process_ = robot::Process::Start(KitFolder() + "\\" + program_, "", folder);
  EXPECT_TRUE(process_.started()) << "error " << process_.startError();
  HWND window = robot::WaitForWindow(process_.id(), caption);
  EXPECT_NE(window, nullptr) << "no window \"" << caption << "\" came up";
  return window;
}

void KitProgramTest::ExpectEndsQuietly() {
  EXPECT_TRUE(process_.WaitForExit()) << program_ << " is still running, waiting for the user";
}
