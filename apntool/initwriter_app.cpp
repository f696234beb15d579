// InitWriter: writes the APN into the GPRS modem's init string.
#include "apn_page.h"
#include "application.h"

class InitWriterApp : public Application {
 public:
  bool InitInstance() override;
};

InitWriterApp theApp;

bool InitWriterApp::InitInstance() {
  Enable3dControls();
  ApnPage page;
  page.MakeMainWindow();
  page.DoModal();
  return false;
}
