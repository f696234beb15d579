// Driving a dialog of another process as its user would. Clicks and keys are posted, because that
// is how input arrives and because the handler may open a modal window (a message box) that would
// hold a sent message until it closes; what they lead to is polled for afterwards.
#pragma once

#include <string>

#include <windows.h>

namespace robot {

// A click on a push button, check box or radio button (BM_CLICK): the button takes the focus and
// tells its dialog, which may open a window or end.
bool Click(HWND button);

// Enter and Esc pressed with the focus where the dialog has it: posted to the focused control (to
// the dialog when no control has the focus), for the dialog's IsDialogMessage to handle, which
// turns Enter into the default button and Esc into IDCANCEL.
bool PressEnter(HWND dialog);
bool PressEscape(HWND dialog);

// The close box in the caption (WM_SYSCOMMAND SC_CLOSE, as the non-client click sends it).
bool PressCloseBox(HWND dialog);

// Moves the dialog's focus to one of its controls, as Tab would (WM_NEXTDLGCTL).
bool Focus(HWND dialog, HWND control);

// Types each character into an edit control, at the caret, as the keyboard would (WM_CHAR).
bool TypeText(HWND edit, const std::string& text);

// Replaces a control's text at once (WM_SETTEXT).
bool SetText(HWND control, const std::string& text);

// Whether a check box or radio button is checked.
bool IsChecked(HWND button);

}  // namespace robot
