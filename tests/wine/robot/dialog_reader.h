// Reading a dialog of another process as its user meets it: the controls with their IDs, classes,
// texts, styles and places in dialog units, the tab order, the default button and the focus.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include <windows.h>

#include "dialog_template.h"
#include "dialog_units.h"

namespace robot {

struct Control {
  HWND window = nullptr;
  int id = 0;
  std::string className;  // "Button", "Static", "ListBox", "Edit", ...
  std::string text;       // empty for a picture, whose "text" names a resource
  DWORD style = 0;
  DWORD exStyle = 0;
  RECT pixels = {};  // relative to the dialog's client area
  DluRect units;     // the same place in dialog units
  bool enabled = false;
  bool visible = false;
};

struct Dialog {
  HWND window = nullptr;
  std::string caption;
  DWORD style = 0;
  DWORD exStyle = 0;
  HWND owner = nullptr;
  bool enabled = false;
  std::optional<DialogFont> font;  // from the dialog's template
  BaseUnits base;                  // zero when the font is unknown, and then so are all units
  DluRect client;                  // the client area's size in dialog units, at 0, 0
  std::vector<Control> controls;   // in z-order, which is the template's order

  bool hasSystemMenu() const { return (style & WS_SYSMENU) != 0; }
  bool isAppWindow() const { return (exStyle & WS_EX_APPWINDOW) != 0; }
  // The control with this ID; nullptr when the dialog has none.
  const Control* Find(int id) const;
};

Dialog ReadDialog(HWND dialog);

// The IDs of the controls the Tab key visits, starting from the first, as the dialog manager
// walks them (enabled, visible, WS_TABSTOP).
std::vector<int> TabOrder(HWND dialog);

// The ID DM_GETDEFID reports; 0 when the dialog has no default button.
int DefaultButtonId(HWND dialog);

// The window with the keyboard focus in the dialog's thread; nullptr when none has it.
HWND FocusedWindow(HWND dialog);

}  // namespace robot
