// Resource numbers of InitWriter, shared by its .rc file and its code.
#pragma once

#define IDI_INITWRITER 128
#define IDD_APN_PAGE 102
#define IDB_APN_PAGE 129

#define IDC_APN 1000

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDS_HARDWARE_ID 1
#define IDS_INIT_TEMPLATE 2
#define IDS_APN_FAILED 3
