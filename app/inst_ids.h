#pragma once
// Resource numbers of the main dialog, shared by its resource script and its code.
#define IDD_INST_DIALOG 102
#define IDR_MAINFRAME 128

#define IDC_INSTDIR 1000
#define IDC_BROWSE 1001
#define IDC_INST_CANCEL 1002
#define IDC_INST_START 1003
#define IDC_DRIVECOMBO 1004
#define IDC_NEEDCAP 1005
#define IDC_FREECAP 1006
#define IDC_TYPECOMBO 1007
#define IDC_TYPEDESC 1009
#define IDC_PROGRESS 1010
#define IDC_DEST_GROUP 1011
#define IDC_DRIVE_LABEL 1012
#define IDC_FOLDER_LABEL 1013
#define IDC_TYPE_GROUP 1014
#define IDC_NEEDCAP_LABEL 1015
#define IDC_FREECAP_LABEL 1016
#define IDC_FINISH_TEXT 1017
#define IDC_PROGRESS_TEXT 1019
#define IDC_PICTURE 1027
