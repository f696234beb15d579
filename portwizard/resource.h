// Resource numbers of PortWizard, shared by its .rc file and its code.
#pragma once

#define IDI_PORTWIZARD 128
#define IDD_INSTALL_PAGE 129
#define IDB_INSTALL_PAGE 131
#define IDD_PORT_SELECT 102

#ifndef IDC_STATIC
#define IDC_STATIC (-1)
#endif

#define IDC_PORT_LIST 1001
#define IDC_INSTALL_YES 1002
#define IDC_INSTALL_NO 1003

#define IDS_HARDWARE_ID 2
#define IDS_INSTALL_FAILED 5
#define IDS_INF_NAME 6
#define IDS_RESTART_NEEDED 7
#define IDS_FOLDER_UNUSABLE 8
#define IDS_WRONG_BUILD 9
#define IDS_PACKAGE_NOT_TRUSTED 10
