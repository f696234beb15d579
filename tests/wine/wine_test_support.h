// What the page tests share: where the kit is, screenshots, and a page's layout against its
// template.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "beside_program.h"
#include "robot.h"

// A style as people read it in the headers, for messages: "0x50010001".
std::string Hex(DWORD value);

// Saves a picture of `window` for people to look at, in the tests' screenshots folder.
void SaveScreenshot(HWND window, const char* name);

// A shown page of the kit with a caption and a modal frame, in the template's font, without its
// system menu. The platform adds to what the template says: the modal loop shows the page, a
// top-level window clips its siblings, every dialog gets the 3-D look; and for the extended
// style, the modal frame becomes WS_EX_DLGMODALFRAME, the caption WS_EX_WINDOWEDGE, and a dialog
// that is not a child lets the Tab key into its controls (WS_EX_CONTROLPARENT).
constexpr DWORD kPageFrame =
    WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CAPTION | DS_MODALFRAME | DS_SETFONT | DS_3DLOOK;
constexpr DWORD kPageFrameEx = WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE | WS_EX_DLGMODALFRAME;

// What every control of the kit's templates is: a child window, shown and enabled.
constexpr DWORD kShownChild = WS_CHILD | WS_VISIBLE;
// The dialog manager makes every control with WS_EX_NOPARENTNOTIFY, and draws a template's
// WS_BORDER as a sunken client edge: that bit leaves the style and WS_EX_CLIENTEDGE stands for it.
constexpr DWORD kPlainControl = WS_EX_NOPARENTNOTIFY;
constexpr DWORD kBorderedControl = WS_EX_NOPARENTNOTIFY | WS_EX_CLIENTEDGE;

// One control as its template lays it out. A zero width stands for a picture, which takes its
// bitmap's own size: then only its place is checked, and its text, the bitmap's number, is not
// read either: ExpectShowsBitmap checks what it shows instead.
struct Expected {
  int id = 0;
  const char* className = nullptr;
  const char* text = nullptr;  // nullptr for a picture
  DWORD style = 0;             // the whole style as the running page has it
  robot::DluRect units;
  DWORD exStyle = kPlainControl;
};

// The page's controls in template order, each as expected.
void ExpectLayout(const robot::Dialog& dialog, const std::vector<Expected>& layout);

// A test of one of the kit's programs, started from the kit's folder. Each test starts and ends
// on a prefix without the GPRS modem, and no program of it outlives it.
class KitProgramTest : public ::testing::Test {
 protected:
  explicit KitProgramTest(const char* program) : program_(program) {}
  void SetUp() override;
  void TearDown() override;

  // Starts the program of `programFolder` in `folder` and waits for its window `caption`.
  HWND Start(const char* caption, const std::string& folder = KitFolder(),
             const std::string& programFolder = KitFolder());
  // The program ends on its own: nothing is left waiting for the user.
  void ExpectEndsQuietly();

  robot::Process process_;

 private:
  const char* program_;
};
