// The UI robot: starts the kit's programs, finds their dialogs, reads them, drives them and takes
// their pictures, all from the test's own process.
#pragma once

#include "dialog_reader.h"
#include "find_window.h"
#include "input.h"
#include "list_box.h"
#include "message_box.h"
#include "messages.h"
#include "process.h"
#include "screenshot.h"
#include "wine_windows.h"
