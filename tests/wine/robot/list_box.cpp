#include "list_box.h"

#include <optional>

#include "timing.h"

#include "wide_text.h"

namespace robot {
namespace {

std::optional<LRESULT> SendWide(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                           &result)) {
    return std::nullopt;
  }
  return static_cast<LRESULT>(result);
}

}  // namespace

std::vector<std::string> ListBoxItems(HWND listBox) {
  std::vector<std::string> items;
  const std::optional<LRESULT> count = SendWide(listBox, LB_GETCOUNT, 0, 0);
  if (!count || *count == LB_ERR) return items;
  for (LRESULT index = 0; index < *count; ++index) {
    const std::optional<LRESULT> length = SendWide(listBox, LB_GETTEXTLEN, index, 0);
    if (!length || *length == LB_ERR) break;
    std::wstring text(static_cast<size_t>(*length) + 1, L'\0');
    const std::optional<LRESULT> copied =
        SendWide(listBox, LB_GETTEXT, index, reinterpret_cast<LPARAM>(text.data()));
    if (!copied || *copied == LB_ERR) break;
    text.resize(static_cast<size_t>(*copied));
    items.push_back(Narrow(text));
  }
  return items;
}

int ListBoxSelection(HWND listBox) {
  const std::optional<LRESULT> selection = SendWide(listBox, LB_GETCURSEL, 0, 0);
  return selection && *selection != LB_ERR ? static_cast<int>(*selection) : -1;
}

bool SelectListBoxItem(HWND listBox, int index) {
  const std::optional<LRESULT> selected = SendWide(listBox, LB_SETCURSEL, index, 0);
  if (!selected || *selected == LB_ERR) return false;
  // LB_SETCURSEL itself tells nobody; the user's click would have.
  if (GetWindowLongA(listBox, GWL_STYLE) & LBS_NOTIFY) {
    const WPARAM command = MAKEWPARAM(GetDlgCtrlID(listBox), LBN_SELCHANGE);
    SendWide(GetParent(listBox), WM_COMMAND, command, reinterpret_cast<LPARAM>(listBox));
  }
  return true;
}

}  // namespace robot
