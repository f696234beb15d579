// Drives the kit's programs through their own pages for the demo, as a user would, and says what it
// sees at each step.
//   demo_drive portwizard PORT   Yes, Next, PORT, OK
//   demo_drive initwriter APN    types APN, Enter
//   demo_drive entrymaker        runs EntryMaker, which has no page: it must end by itself
// Exits non-zero when a page does not come up or the program asks for anything unexpected.

#include <cstdio>
#include <string>

#include "beside_program.h"
#include "robot.h"

namespace {

// A picture of each page the demo goes through, for people to look at, beside the demo's programs.
void Picture(HWND window, const char* name) {
  robot::SavePicture(window, BesideProgram("demo-screenshots"), name);
}

int Fail(const char* what) {
  std::printf("  %s\n", what);
  return 1;
}

// Starts one of the kit's programs from the kit's folder, its working directory.
robot::Process StartFromKit(const char* program) {
  robot::LetWineManageWindows(program);
  return robot::Process::Start(KitFolder() + "\\" + program, "", KitFolder());
}

// A program that did its job ends by itself; one that shows a message waits for the user.
int ExpectQuietEnd(robot::Process& process, const char* name, const char* messageCaption,
                   const char* done) {
  if (process.WaitForExit(60000)) {
    std::printf("  %s ended without a message: %s\n", name, done);
    return 0;
  }
  HWND box = robot::WaitForWindow(process.id(), messageCaption, "#32770", 1000);
  if (box) std::printf("  %s says: %s\n", name, robot::ReadMessageBox(box).text.c_str());
  std::printf("  %s did not finish on its own\n", name);
  return 1;
}

int DrivePortWizard(const std::string& port) {
  robot::Process wizard = StartFromKit("PortWizard.exe");
  if (!wizard.started()) return Fail("PortWizard.exe did not start");

  HWND page = robot::WaitForWindow(wizard.id(), "GPRS Modem");
  if (!page) return Fail("the install page did not come up");
  std::printf("  page \"GPRS Modem\": \"Yes, install modem\" is %s; pressing Next\n",
              robot::IsChecked(GetDlgItem(page, 1002)) ? "checked" : "NOT checked");
  Picture(page, "portwizard_install_page");
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
  Picture(dialog, "portwizard_port_dialog");
  robot::Click(GetDlgItem(dialog, IDOK));

  return ExpectQuietEnd(wizard, "PortWizard", "PortWizard", "the modem is installed");
}

int DriveInitWriter(const std::string& apn) {
  robot::Process writer = StartFromKit("InitWriter.exe");
  if (!writer.started()) return Fail("InitWriter.exe did not start");
  HWND page = robot::WaitForWindow(writer.id(), "APN");
  if (!page) return Fail("the APN page did not come up");
  std::printf("  page \"APN\": typing \"%s\" and pressing Enter\n", apn.c_str());
  robot::TypeText(GetDlgItem(page, 1000), apn);
  Picture(page, "initwriter_apn_page");
  robot::PressEnter(page);
  return ExpectQuietEnd(writer, "InitWriter", "", "the APN is written");
}

int RunEntryMaker() {
  robot::Process maker = StartFromKit("EntryMaker.exe");
  if (!maker.started()) return Fail("EntryMaker.exe did not start");
  return ExpectQuietEnd(maker, "EntryMaker", "Error", "the entry's lines are set");
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "portwizard" && argc == 3) return DrivePortWizard(argv[2]);
  if (command == "initwriter" && argc == 3) return DriveInitWriter(argv[2]);
  if (command == "entrymaker" && argc == 2) return RunEntryMaker();
  (void)std::fprintf(stderr, "usage: demo_drive portwizard PORT | initwriter APN | entrymaker\n");
  return 2;
}
