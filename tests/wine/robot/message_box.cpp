#include "message_box.h"

#include <optional>

#include "messages.h"

namespace robot {

MessageBoxContent ReadMessageBox(HWND box) {
  MessageBoxContent content;
  content.window = box;
  content.owner = GetWindow(box, GW_OWNER);
  content.caption = WindowText(box);
  for (HWND child = GetWindow(box, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    const std::string className = ClassName(child);
    const int id = GetDlgCtrlID(child);
    if (className == "Button") {
      content.buttons.push_back({child, id, WindowText(child)});
    } else if (className == "Static") {
      const DWORD style = static_cast<DWORD>(GetWindowLongA(child, GWL_STYLE));
      if ((style & SS_TYPEMASK) == SS_ICON) {
        // Wine keeps the icon's control in a box without an icon, showing no icon in it.
        const std::optional<LRESULT> icon = Send(child, STM_GETICON);
        content.hasIcon = icon && *icon != 0 && IsWindowVisible(child);
        content.iconId = id;
      } else {
        content.text = WindowText(child);
      }
    }
  }
  return content;
}

}  // namespace robot
