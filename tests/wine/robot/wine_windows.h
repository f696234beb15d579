// Wine hands a program's top-level windows to the X window manager, and the test displays have
// none. Its caption and border are then left to a manager that never draws them (a screenshot
// shows black there), and every window that closes waits two seconds for the manager to take it
// off the screen. A program whose windows Wine manages itself has neither problem.
#pragma once

#include <string>

namespace robot {

// Asks Wine to manage the windows of the program whose file name is `programFileName` (for
// example "PortWizard.exe") itself, from its next start on. Windows ignores the setting.
bool LetWineManageWindows(const std::string& programFileName);

}  // namespace robot
