// A modal dialog for the UI robot to practise on, in a process of its own as the kit's pages will
// be. What the user did comes back as the exit code, and Next reports the dialog's state in a
// message box, so a test can tell each way out and each input apart.

#include <cstring>
#include <string>

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include "robot_target.h"

namespace {

std::string ControlText(HWND dialog, int id) {
  char text[260] = {};
  GetDlgItemTextA(dialog, id, text, sizeof text);
  return text;
}

std::string PickedName(HWND dialog) {
  const LRESULT index = SendDlgItemMessageA(dialog, IDC_NAMES, LB_GETCURSEL, 0, 0);
  if (index == LB_ERR) return "nothing";
  char name[260] = {};
  if (SendDlgItemMessageA(dialog, IDC_NAMES, LB_GETTEXTLEN, index, 0) >=
      static_cast<LRESULT>(sizeof name)) {
    return "too long";
  }
  SendDlgItemMessageA(dialog, IDC_NAMES, LB_GETTEXT, index, reinterpret_cast<LPARAM>(name));
  return name;
}

void Initialize(HWND dialog) {
  // Added out of order: the list box sorts them.
  for (const char* name : {"Charlie", "Alpha", "Bravo"}) {
    SendDlgItemMessageA(dialog, IDC_NAMES, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
  }
  CheckRadioButton(dialog, IDC_FIRST_OPTION, IDC_SECOND_OPTION, IDC_FIRST_OPTION);
}

void Report(HWND dialog) {
  const UINT icon = static_cast<UINT>(GetWindowLongPtrA(dialog, DWLP_USER));
  const std::string option =
      IsDlgButtonChecked(dialog, IDC_SECOND_OPTION) == BST_CHECKED ? "Second" : "First";
  const std::string text = "Picked " + PickedName(dialog) + ", option " + option + ", name \"" +
                           ControlText(dialog, IDC_NAME) + "\".";
  MessageBoxA(dialog, text.c_str(), "Robot Target Result", MB_OK | icon);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG:
      SetWindowLongPtrA(dialog, DWLP_USER, lParam);  // the message box's icon
      Initialize(dialog);
      return TRUE;  // the dialog manager focuses the first tab stop: the default button
    case WM_COMMAND:
      switch (LOWORD(wParam)) {
        case IDOK:
          Report(dialog);
          EndDialog(dialog, TARGET_EXIT_OK);
          return TRUE;
        case IDCANCEL:
          EndDialog(dialog, TARGET_EXIT_CANCEL);
          return TRUE;
        case IDC_NAMES:
          if (HIWORD(wParam) == LBN_SELCHANGE) {
            SetDlgItemTextA(dialog, IDC_PICKED, ("Picked " + PickedName(dialog)).c_str());
          }
          return TRUE;
      }
      break;
    case WM_CLOSE:
      // Left to the dialog manager, the close box would pass for Cancel; a code of its own lets a
      // test see that the close box itself was used.
      EndDialog(dialog, TARGET_EXIT_CLOSE_BOX);
      return TRUE;
  }
  return FALSE;
}

}  // namespace

// "plain" on the command line leaves the icon out of the message box.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR cmdLine, int) {
  const LPARAM icon = std::strstr(cmdLine, "plain") != nullptr ? 0 : MB_ICONINFORMATION;
  const INT_PTR result =
      DialogBoxParamA(instance, MAKEINTRESOURCEA(IDD_ROBOT_TARGET), nullptr, DialogProc, icon);
  return result <= 0 ? TARGET_EXIT_NO_DIALOG : static_cast<int>(result);
}
