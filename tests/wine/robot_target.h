// The robot's own practice dialog: control IDs and exit codes shared by the program, its template
// and the test that drives it.
#pragma once

#define IDD_ROBOT_TARGET 100
#define IDB_ROBOT_PICTURE 101

#define IDC_CHOICE_GROUP 1001
#define IDC_FIRST_OPTION 1002
#define IDC_SECOND_OPTION 1003
#define IDC_NAMES 1004
#define IDC_NAME_LABEL 1005
#define IDC_NAME 1006
#define IDC_PICKED 1007
#define IDC_PICTURE 1008

// How the dialog ended, as the program's exit code.
#define TARGET_EXIT_OK 1
#define TARGET_EXIT_CANCEL 2
#define TARGET_EXIT_CLOSE_BOX 3
#define TARGET_EXIT_NO_DIALOG 9
