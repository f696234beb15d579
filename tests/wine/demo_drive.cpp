// Drives the kit's programs through their own pages for the demo, as a user would, and says what it
// sees at each step.
//   demo_drive portwizard PORT   Yes, Next, PORT, OK
// Exits non-zero when a page does not come up or the program asks for anything unexpected.

#include <cstdio>
#include <string>

#include "beside_program.h"
#include "robot.h"

namespace {

int Fail(const char* what) {
  std::printf("  %s\n", what);
  return 1;
}

int DrivePortWizard(const std::string& port) {
  const char program[] = "PortWizard.exe";
  const std::string kit = BesideProgram("..\\..\\kit");
  robot::LetWineManageWindows(program);
  robot::Process wizard = robot::Process::Start(kit + "\\" + program, "", kit);
  if (!wizard.started()) return Fail("PortWizard.exe did not start");

  HWND page = robot::WaitForWindow(wizard.id(), "GPRS Modem");
  if (!page) return Fail("the install page did not come up");
  std::printf("  page \"GPRS Modem\": \"Yes, install modem\" is %s; pressing Next\n",
              robot::IsChecked(GetDlgItem(page, 1002)) ? "checked" : "NOT checked");
  robot::Click(GetDlgItem(page, IDOK));

  HWND dialog = robot::WaitForWindow(wizard.id(), "COM Port Select");
  if (!dialog) return Fail("the port dialog did not come up");
  HWND list = GetDlgItem(dialog, 1001);
  const auto ports = robot::ListBoxItems(list);
  std::string shown;
  int pick = -1;
  for (size_t i = 0; i < ports.size(); ++i) {
    shown += (i ? ", " : "") + ports[i];
    if (ports[i] == port) pick = static_cast<int>(i);
  }
  std::printf("  dialog \"COM Port Select\" lists: %s\n", shown.c_str());
  if (pick < 0) return Fail(("the list has no " + port).c_str());
  std::printf("  picking %s and pressing OK\n", port.c_str());
  robot::SelectListBoxItem(list, pick);
  robot::Click(GetDlgItem(dialog, IDOK));

  // A successful install says nothing: the program just ends.
  if (!wizard.WaitForExit(60000)) {
    HWND box = robot::WaitForWindow(wizard.id(), "PortWizard", "#32770", 1000);
    if (box) std::printf("  PortWizard says: %s\n", robot::ReadMessageBox(box).text.c_str());
    return Fail("PortWizard did not finish on its own");
  }
  std::printf("  PortWizard ended without a message: the modem is installed\n");
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "portwizard" && argc == 3) return DrivePortWizard(argv[2]);
  std::fprintf(stderr, "usage: demo_drive portwizard PORT\n");
  return 2;
}
