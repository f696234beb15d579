// What the page tests share: where the kit is, screenshots, and a page's layout against its
// template.
#pragma once

#include <string>
#include <vector>

#include "robot.h"

// The kit as it ships, gathered by the build.
std::string KitFolder();

// Saves a picture of `window` for people to look at, in the tests' screenshots folder.
void SaveScreenshot(HWND window, const char* name);

// One control as its template lays it out. A zero width stands for a picture, which takes its
// bitmap's own size: then only its place is checked.
struct Expected {
  int id;
  const char* className;
  const char* text;
  DWORD typeMask;  // the style bits that say what kind of control it is
  DWORD type;
  DWORD tabAndGroup;  // WS_TABSTOP and WS_GROUP as the running page has them
  robot::DluRect units;
};

// The page's controls in template order, each as expected.
void ExpectLayout(const robot::Dialog& dialog, const std::vector<Expected>& layout);
