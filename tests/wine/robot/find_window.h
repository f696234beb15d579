// Finding the windows a started program shows.
#pragma once

#include <string>

#include <windows.h>

#include "timing.h"

namespace robot {

// The window class of dialogs and message boxes.
constexpr const char kDialogClass[] = "#32770";

// Waits for a visible top-level window of the process with this caption and class that has
// reached its message loop; nullptr when none came within the time. A dialog exists, caption and
// all, before its initialisation has run, so a window counts only once it is visible and answers.
HWND WaitForWindow(DWORD processId, const std::string& caption,
                   const std::string& windowClass = kDialogClass,
                   DWORD timeoutMs = kDefaultTimeoutMs);

// Waits until the window has been destroyed; says whether it was.
bool WaitForWindowToClose(HWND window, DWORD timeoutMs = kDefaultTimeoutMs);

}  // namespace robot
