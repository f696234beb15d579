// GprsKit's "/log:FILE" option. A caller that starts the tool hidden, as the installer does, gets
// no exit code: with the option, the run adds one line to FILE, its exit code first, then the
// command and what the tool said last.
#pragma once

#include "verbs.h"

// RunGprsKit on the command line after the program's name, less every "/log:FILE", which may
// stand anywhere and which the verbs never see (the last one names the log). A log that did not
// get its line is said on the console's error stream alone, as an aside, so that the verb's own
// last words and exit code stay as they were. Moves the verbs' arguments to the front of `argv`.
int RunGprsKitWithLog(int argc, char** argv, Console& console);
