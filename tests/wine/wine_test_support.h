// What the page tests share: where the kit is, screenshots, and a page's layout against its
// template.
#pragma once

#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "beside_program.h"
#include "robot.h"

// Saves a picture of `window` for people to look at, in the tests' screenshots folder.
void SaveScreenshot(HWND window, const char* name);

// One control as its template lays it out. A zero width stands for a picture, which takes its
// bitmap's own size: then only its place is checked.
struct Expected {
  int id = 0;
  const char* className = nullptr;
  const char* text = nullptr;
  DWORD typeMask = 0;  // the style bits that say what kind of control it is
  DWORD type = 0;
  DWORD tabAndGroup = 0;  // WS_TABSTOP and WS_GROUP as the running page has them
  robot::DluRect units;
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

  // Starts the program in `folder` and waits for its window `caption`.
  HWND Start(const char* caption, const std::string& folder = KitFolder());
  // The program ends on its own: nothing is left waiting for the user.
  void ExpectEndsQuietly();

  robot::Process process_;

 private:
  const char* program_;
};
