#include "install_page.h"

#include "install_run.h"
#include "message_box.h"
#include "port_select_dialog.h"
#include "resource.h"

InstallPage::InstallPage() : Dialog(IDD_INSTALL_PAGE) {}

void InstallPage::DoDataExchange(DataExchange& exchange) {
  exchange.Radio(IDC_INSTALL_YES, installChoice_);
}

void InstallPage::OnOK() {
  UpdateData(true);
  if (installChoice_ == 0) {
    PortSelectDialog portDialog;
    if (portDialog.DoModal() == IDOK) {
      char text[kMessageCapacity];
      UINT style = MB_OK;
      if (OutcomeMessage(RunInstall(), text, style)) ShowMessage(Window(), text, style);
    }
  }
  Dialog::OnOK();
}
