// A list box of another process: its entries, its selection, and picking an entry.
#pragma once

#include <string>
#include <vector>

#include <windows.h>

namespace robot {

// The entries in the order the list shows them. Asked in UTF-16: Wine 8 answers a cross-process
// LB_GETTEXT sent as ANSI with UTF-16 text, twice the bytes the caller asked room for.
std::vector<std::string> ListBoxItems(HWND listBox);

// The selected entry's index; -1 when none is selected.
int ListBoxSelection(HWND listBox);

// Selects the entry and tells the dialog, as a click on it would (LBN_SELCHANGE, for a list box
// with LBS_NOTIFY); says whether the list took the selection.
bool SelectListBoxItem(HWND listBox, int index);

}  // namespace robot
