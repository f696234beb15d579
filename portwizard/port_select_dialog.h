// The dialog in which the user picks the COM port for the modem.
#pragma once

#include "dialog.h"

class PortSelectDialog : public Dialog {
 public:
  PortSelectDialog();

 protected:
  bool OnInitDialog() override;
  void OnOK() override;
  // The port must be chosen: Esc and the close box leave the dialog open.
  void OnCancel() override {}

 private:
  // Lists the library's ports in its order and selects the first.
  void FillPortList();

  HWND portListBox_ = nullptr;
};
