// A modal page built from a dialog template of the program's resources.
#pragma once

#include "data_exchange.h"
#include "platform.h"

class Dialog {
 public:
  // The application's main window, if any, owns the page while it is shown.
  explicit Dialog(int templateId);
  virtual ~Dialog() = default;
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;

  // Shows the page and returns how it ended: IDOK, IDCANCEL, or -1 when it could not be shown.
  INT_PTR DoModal();
  // Makes the page the application's main window while it is shown, the owner of what it opens.
  void MakeMainWindow() { isMainWindow_ = true; }
  HWND Window() const { return window_; }

 protected:
  virtual void DoDataExchange(DataExchange&) {}
  // Moves the fields into the controls. True lets the platform focus the first tab stop.
  virtual bool OnInitDialog();
  // The default button or Enter: moves the controls into the fields and ends with IDOK.
  virtual void OnOK();
  // Esc, the close box or a button with ID 2: ends with IDCANCEL. A page that overrides it with
  // nothing cannot be left that way.
  virtual void OnCancel();
  // Any other message; true when handled, with the dialog procedure's answer in `result`.
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

  // Moves the fields into the controls, or the controls into the fields.
  void UpdateData(bool fromControls);
  void EndDialog(INT_PTR result);
  HWND Item(int id) const { return GetDlgItem(window_, id); }

 private:
  static INT_PTR CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  int templateId_;
  HWND window_ = nullptr;
  bool isMainWindow_ = false;
};
