// InitWriter's only page: the APN the modem is to use.
#pragma once

#include "dialog.h"

class ApnPage : public Dialog {
 public:
  ApnPage();

 protected:
  void DoDataExchange(DataExchange& exchange) override;
  bool OnInitDialog() override;
  void OnOK() override;
  // "Next" is the only way out: Esc and the system's close request leave the page open.
  void OnCancel() override {}
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

 private:
  char apn_[kTextCapacity] = {};
  HICON appIcon_;
};
