#include "wine_test_support.h"

#include <gtest/gtest.h>

#include "beside_program.h"
#include "modem_devices.h"

using robot::DluRect;

void SaveScreenshot(HWND window, const char* name) {
  EXPECT_TRUE(robot::SavePicture(window, BesideProgram("screenshots"), name))
      << "no picture of " << name;
}

std::string Hex(DWORD value) {
  static const char kDigits[] = "0123456789ABCDEF";
  std::string text = "0x";
  for (int shift = 28; shift >= 0; shift -= 4) text += kDigits[(value >> shift) & 0xF];
  return text;
}

void ExpectLayout(const robot::Dialog& dialog, const std::vector<Expected>& layout) {
  ASSERT_EQ(dialog.controls.size(), layout.size());
  for (size_t i = 0; i < layout.size(); ++i) {
    const robot::Control& control = dialog.controls[i];
    const Expected& expected = layout[i];
    // A picture takes its bitmap's own size: only its place is the template's.
    const bool picture = expected.units.cx == 0;
    SCOPED_TRACE("control " + std::to_string(expected.id) + " " +
                 (picture ? "(picture)" : expected.text));
    EXPECT_EQ(control.id, expected.id);
    EXPECT_EQ(control.className, expected.className);
    if (!picture) {
      EXPECT_EQ(control.text, expected.text);
    }
    // Every bit counts: the low word holds the class's own styles (border, scroll bars,
    // selection, alignment, ...), the high word the window's, and losing any of them changes
    // what the user gets.
    EXPECT_EQ(Hex(control.style), Hex(expected.style));
    EXPECT_EQ(Hex(control.exStyle), Hex(expected.exStyle));
    if (picture) {
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

HWND KitProgramTest::Start(const char* caption, const std::string& folder,
                           const std::string& programFolder) {
  process_ = robot::Process::Start(programFolder + "\\" + program_, "", folder);
  EXPECT_TRUE(process_.started()) << "error " << process_.startError();
  HWND window = robot::WaitForWindow(process_.id(), caption);
  EXPECT_NE(window, nullptr) << "no window \"" << caption << "\" came up";
  return window;
}

void KitProgramTest::ExpectEndsQuietly() {
  EXPECT_TRUE(process_.WaitForExit()) << program_ << " is still running, waiting for the user";
}
