#pragma once
// Resource ids of the framework's test dialogs (shared by test_dialog.rc and the tests).

#define IDD_TEST 300
#define IDD_CHILD 301

#define IDC_LABEL 3001
#define IDC_EDIT 3002
#define IDC_COMBO 3003
#define IDC_BROWSE 3004
#define IDC_START 3005
#define IDC_PROGRESS 3006
#define IDC_PICTURE 3007
#define IDC_NOTE 3008
#define IDC_DESKTOP 3009
#define IDC_ALLUSERS 3010
#define IDC_CURRENTUSER 3011
#define IDC_MISSING 3099
