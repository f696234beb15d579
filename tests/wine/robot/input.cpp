#include "input.h"

#include "dialog_reader.h"
#include "messages.h"

namespace robot {
namespace {

bool PressKey(HWND dialog, WPARAM key) {
  HWND focus = FocusedWindow(dialog);
  HWND target = focus != nullptr && IsChild(dialog, focus) ? focus : dialog;
  const LPARAM scanCode = static_cast<LPARAM>(MapVirtualKeyA(static_cast<UINT>(key), 0)) << 16;
  // Key up carries the previous-state and transition bits, as the keyboard driver sets them.
  const LPARAM up = static_cast<LPARAM>(0xC0000001u) | scanCode;
  if (!PostMessageA(target, WM_KEYDOWN, key, 1 | scanCode)) return false;
  // The key down may already have closed the window (Esc, Enter), and then the key up has no
  // window to go to: the key was pressed all the same.
  return PostMessageA(target, WM_KEYUP, key, up) || !IsWindow(target);
}

}  // namespace

bool Click(HWND button) {
  return PostMessageA(button, BM_CLICK, 0, 0) != FALSE;
}

bool PressEnter(HWND dialog) {
  return PressKey(dialog, VK_RETURN);
}

bool PressEscape(HWND dialog) {
  return PressKey(dialog, VK_ESCAPE);
}

bool PressCloseBox(HWND dialog) {
  return PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0) != FALSE;
}

bool Focus(HWND dialog, HWND control) {
  return Send(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE).has_value();
}

bool TypeText(HWND edit, const std::string& text) {
  for (char c : text) {
    if (!Send(edit, WM_CHAR, static_cast<unsigned char>(c), 1)) return false;
  }
  return true;
}

bool SetText(HWND control, const std::string& text) {
  const std::optional<LRESULT> done =
      Send(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  return done && *done != FALSE;
}

bool IsChecked(HWND button) {
  const std::optional<LRESULT> state = Send(button, BM_GETCHECK);
  return state && *state == BST_CHECKED;
}

}  // namespace robot
