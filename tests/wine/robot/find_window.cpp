#include "find_window.h"

#include "messages.h"

namespace robot {
namespace {

struct Search {
  DWORD processId;
  const std::string* caption;
  const std::string* windowClass;
  HWND found;
};

BOOL CALLBACK Visit(HWND window, LPARAM parameter) {
  Search& search = *reinterpret_cast<Search*>(parameter);
  DWORD processId = 0;
  GetWindowThreadProcessId(window, &processId);
  if (processId != search.processId || !IsWindowVisible(window)) return TRUE;
  if (ClassName(window) != *search.windowClass) return TRUE;
  // The caption is asked from the window itself, as WindowText does for every control.
  if (WindowText(window) != *search.caption) return TRUE;
  search.found = window;
  return FALSE;
}

}  // namespace

HWND WaitForWindow(DWORD processId, const std::string& caption, const std::string& windowClass,
                   DWORD timeoutMs) {
  HWND found = nullptr;
  PollUntil(
      [&] {
        Search search = {processId, &caption, &windowClass, nullptr};
        EnumWindows(Visit, reinterpret_cast<LPARAM>(&search));
        found = search.found != nullptr && RoundTrip(search.found) ? search.found : nullptr;
        return found != nullptr;
      },
      timeoutMs);
  return found;
}

bool WaitForWindowToClose(HWND window, DWORD timeoutMs) {
  return PollUntil([&] { return !IsWindow(window); }, timeoutMs);
}

}  // namespace robot
