// The font a dialog's template asks for. Another process's font handle means nothing here (and
// under Wine WM_GETFONT does not even cross the process boundary), so the robot reads the template
// the dialog was made from, in the module that made it, as the dialog manager did.
#pragma once

#include <optional>
#include <string>

#include <windows.h>

namespace robot {

struct DialogFont {
  std::string face;
  int pointSize = 0;
  int weight = 0;
  bool italic = false;
  int charset = DEFAULT_CHARSET;
};

// The DS_SETFONT font of the template whose control IDs are the dialog's own, in the same order.
// Nothing when no template in the dialog's module matches, or the matching one names no font.
std::optional<DialogFont> ReadDialogFont(HWND dialog);

}  // namespace robot
