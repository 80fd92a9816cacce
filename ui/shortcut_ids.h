#pragma once
// Resource numbers of the shortcut dialog, shared by its resource script and its code.
#define IDD_SHORTCUT_DIALOG 146

#define IDC_PROGRAM_GROUP 1020
#define IDC_DESKTOP_CHECK 1022
#define IDC_ALL_USERS 1023
#define IDC_CURRENT_USER 1024
#define IDC_SCOPE_FRAME 1025
