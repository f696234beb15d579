#include "messages.h"

#include <vector>

#include "timing.h"

namespace robot {

std::optional<LRESULT> Send(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  DWORD_PTR result = 0;
  if (!SendMessageTimeoutA(window, message, wParam, lParam, SMTO_ABORTIFHUNG, kMessageTimeoutMs,
                           &result)) {
    return std::nullopt;
  }
  return static_cast<LRESULT>(result);
}

bool RoundTrip(HWND window) {
  return Send(window, WM_NULL).has_value();
}

std::string WindowText(HWND window) {
  const std::optional<LRESULT> length = Send(window, WM_GETTEXTLENGTH);
  if (!length || *length <= 0) return "";
  std::vector<char> text(static_cast<size_t>(*length) + 1, '\0');
  const std::optional<LRESULT> copied =
      Send(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  if (!copied || *copied <= 0) return "";
  return std::string(text.data(), static_cast<size_t>(*copied));
}

std::string ClassName(HWND window) {
  char name[256] = {};
  const int length = GetClassNameA(window, name, sizeof name);
  return std::string(name, length > 0 ? static_cast<size_t>(length) : 0);
}

}  // namespace robot
