// PortWizard: installs the GPRS modem on the COM port the user picks.
#include "application.h"
#include "install_page.h"
#include "message_box.h"
#include "program_strings.h"
#include "resource.h"
#include "version_check.h"

class PortWizardApp : public Application {
 public:
  bool InitInstance() override;
};

PortWizardApp theApp;

bool PortWizardApp::InitInstance() {
  Enable3dControls();
  switch (CheckSystem()) {
    case SystemFit::kInstall: {
      InstallPage page;
      // The page owns the port dialog and the messages: it is the main window while it is up.
      page.MakeMainWindow();
      page.DoModal();
      break;
    }
    case SystemFit::kUnsupportedWindows:
      ShowMessage(nullptr, "Invalid window version", MB_OK | MB_ICONWARNING, "Error");
      break;
    case SystemFit::kWrongBuild: {
      char text[kTextCapacity];
      LoadProgramString(IDS_WRONG_BUILD, text);
      ShowMessage(nullptr, text, MB_OK | MB_ICONWARNING);
      break;
    }
  }
  return false;
}
