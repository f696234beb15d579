// Resource numbers of EntryMaker, shared by its .rc file and its code.
#pragma once

#define IDI_ENTRYMAKER 128

#define IDS_ENTRY_FAILED 1
#define IDS_ENTRY_NAME 2
#define IDS_DEVICE_NAME 4
