// The wizard's only page: install the GPRS modem or not.
#pragma once

#include "dialog.h"

class InstallPage : public Dialog {
 public:
  InstallPage();

 protected:
  void DoDataExchange(DataExchange& exchange) override;
  void OnOK() override;

 private:
  // 0 for "Yes, install modem", 1 for "No, don't install modem", -1 for neither.
  int installChoice_ = 0;
};
