// Talking to windows of another process: sent messages are bounded in time, posted ones are how
// input arrives, and text comes back through WM_GETTEXT rather than GetWindowText.
#pragma once

#include <optional>
#include <string>

#include <windows.h>

namespace robot {

// Sends and waits for the answer, giving up after kMessageTimeoutMs; nothing when it gave up.
std::optional<LRESULT> Send(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);

// Waits until the window's thread has taken one message, so it is in its message loop.
bool RoundTrip(HWND window);

// The text the control itself holds. GetWindowText answers from a copy that typing into an edit
// box does not update, so this asks the control.
std::string WindowText(HWND window);

std::string ClassName(HWND window);

}  // namespace robot
