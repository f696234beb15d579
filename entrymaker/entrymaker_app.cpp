// EntryMaker: creates the "GPRS Connection" dial-up entry and sets its phonebook lines. It has no
// window of its own; it shows a message only when something failed.
#include "application.h"
#include "phonebook_editor.h"

class EntryMakerApp : public Application {
 public:
  bool InitInstance() override;
};

EntryMakerApp theApp;

bool EntryMakerApp::InitInstance() {
  Enable3dControls();
  RunEntrySetup();
  return false;
}
