// Reading a message box another process shows. Its controls are told apart by kind, not by ID:
// the text is the static with ID 0xFFFF on Windows and Wine alike, but the icon is ID 20 on
// Windows and 1088 under Wine 8.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

namespace robot {

struct MessageBoxButton {
  HWND window = nullptr;
  int id = 0;  // IDOK, IDCANCEL, IDYES, ...
  std::string text;
};

struct MessageBoxContent {
  HWND window = nullptr;
  HWND owner = nullptr;
  std::string caption;
  std::string text;
  bool hasIcon = false;
  int iconId = 0;  // the icon control's ID, which is there even when it shows no icon
  std::vector<MessageBoxButton> buttons;  // in z-order, left to right as shown
};

// Find the box first with WaitForWindow(processId, caption).
MessageBoxContent ReadMessageBox(HWND box);

}  // namespace robot
