#include "dialog.h"

#include "application.h"

Dialog::Dialog(int templateId) : templateId_(templateId) {}

INT_PTR Dialog::DoModal() {
  const Application* application = Application::Current();
  HWND owner = application ? application->MainWindow() : nullptr;
  HINSTANCE instance = application ? application->Instance() : GetModuleHandleA(nullptr);
  // The platform disables the owner while the page is up and enables it again afterwards.
  const INT_PTR result = DialogBoxParamA(instance, MAKEINTRESOURCEA(templateId_), owner,
                                         &Dialog::Procedure, reinterpret_cast<LPARAM>(this));
  window_ = nullptr;
  if (isMainWindow_ && application) Application::Current()->SetMainWindow(nullptr);
  return result;
}

bool Dialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void Dialog::OnOK() {
  UpdateData(true);
  EndDialog(IDOK);
}

void Dialog::OnCancel() {
  EndDialog(IDCANCEL);
}

bool Dialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR&) {
  return false;
}

void Dialog::UpdateData(bool fromControls) {
  DataExchange exchange(window_, fromControls);
  DoDataExchange(exchange);
}

void Dialog::EndDialog(INT_PTR result) {
  ::EndDialog(window_, result);
}

INT_PTR CALLBACK Dialog::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  Dialog* dialog = nullptr;
  if (message == WM_INITDIALOG) {
    dialog = reinterpret_cast<Dialog*>(lParam);
    SetWindowLongPtrA(window, DWLP_USER, lParam);
    dialog->window_ = window;
    if (dialog->isMainWindow_ && Application::Current())
      Application::Current()->SetMainWindow(window);
    return dialog->OnInitDialog() ? TRUE : FALSE;
  }
  dialog = reinterpret_cast<Dialog*>(GetWindowLongPtrA(window, DWLP_USER));
  if (!dialog) return FALSE;
  // The standard Help command goes to the application, whichever page it reaches.
  if (message == WM_COMMAND && LOWORD(wParam) == Application::kHelpCommand) {
    if (Application::Current()) Application::Current()->OnHelp();
    return TRUE;
  }
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    // Enter and Esc arrive as the commands IDOK and IDCANCEL, the close box as IDCANCEL too.
    if (LOWORD(wParam) == IDOK) {
      dialog->OnOK();
      return TRUE;
    }
    if (LOWORD(wParam) == IDCANCEL) {
      dialog->OnCancel();
      return TRUE;
    }
  }
  INT_PTR result = FALSE;
  if (dialog->OnMessage(message, wParam, lParam, result)) return result;
  return FALSE;
}
