#include "dialog_reader.h"

#include "messages.h"

namespace robot {
namespace {

bool ShowsPicture(const std::string& className, DWORD style) {
  if (className != "Static") return false;
  const DWORD type = style & SS_TYPEMASK;
  return type == SS_ICON || type == SS_BITMAP || type == SS_ENHMETAFILE;
}

RECT ClientRelative(HWND dialog, HWND control) {
  RECT rect = {};
  GetWindowRect(control, &rect);
  POINT origin = {0, 0};
  ClientToScreen(dialog, &origin);
  OffsetRect(&rect, -origin.x, -origin.y);
  return rect;
}

Control ReadControl(HWND dialog, HWND window, BaseUnits base) {
  Control control;
  control.window = window;
  control.id = GetDlgCtrlID(window);
  control.className = ClassName(window);
  control.style = static_cast<DWORD>(GetWindowLongA(window, GWL_STYLE));
  control.exStyle = static_cast<DWORD>(GetWindowLongA(window, GWL_EXSTYLE));
  if (!ShowsPicture(control.className, control.style)) control.text = WindowText(window);
  control.pixels = ClientRelative(dialog, window);
  control.units = ToDialogUnits(control.pixels, base);
  control.enabled = IsWindowEnabled(window) != FALSE;
  control.visible = IsWindowVisible(window) != FALSE;
  return control;
}

}  // namespace

const Control* Dialog::Find(int id) const {
  for (const Control& control : controls) {
    if (control.id == id) return &control;
  }
  return nullptr;
}

Dialog ReadDialog(HWND dialog) {
  Dialog result;
  result.window = dialog;
  result.caption = WindowText(dialog);
  result.style = static_cast<DWORD>(GetWindowLongA(dialog, GWL_STYLE));
  result.exStyle = static_cast<DWORD>(GetWindowLongA(dialog, GWL_EXSTYLE));
  result.owner = GetWindow(dialog, GW_OWNER);
  result.enabled = IsWindowEnabled(dialog) != FALSE;
  result.font = ReadDialogFont(dialog);
  if (result.font) result.base = BaseUnitsFor(*result.font);

  RECT client = {};
  GetClientRect(dialog, &client);
  result.client = ToDialogUnits(client, result.base);
  for (HWND child = GetWindow(dialog, GW_CHILD); child != nullptr;
       child = GetWindow(child, GW_HWNDNEXT)) {
    result.controls.push_back(ReadControl(dialog, child, result.base));
  }
  return result;
}

std::vector<int> TabOrder(HWND dialog) {
  std::vector<int> order;
  HWND first = GetNextDlgTabItem(dialog, nullptr, FALSE);
  HWND control = first;
  // A dialog has fewer controls than this; the bound keeps a broken chain from looping forever.
  for (int visited = 0; control != nullptr && visited < 256; ++visited) {
    order.push_back(GetDlgCtrlID(control));
    control = GetNextDlgTabItem(dialog, control, FALSE);
    if (control == first) break;
  }
  return order;
}

int DefaultButtonId(HWND dialog) {
  const std::optional<LRESULT> answer = Send(dialog, DM_GETDEFID);
  if (!answer || HIWORD(*answer) != DC_HASDEFID) return 0;
  return LOWORD(*answer);
}

HWND FocusedWindow(HWND dialog) {
  GUITHREADINFO info = {};
  info.cbSize = sizeof info;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(dialog, nullptr), &info)) return nullptr;
  return info.hwndFocus;
}

}  // namespace robot
