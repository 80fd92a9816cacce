// The main dialog's construction, its controls and message map, and the quit routine.
#include "app/inst_dlg.h"

#include <shlwapi.h>

#include "app/inst_ids.h"
#include "app/path_text.h"
#include "framework/win_app.h"

CInstDlg::CInstDlg(HWND parent) : Dialog(IDD_INST_DIALOG, parent) {
  icon = LoadIconA(AppInstance(), MAKEINTRESOURCEA(IDR_MAINFRAME));
}

CInstDlg::~CInstDlg() {
  if (mutex != nullptr) CloseHandle(mutex);
  if (pictureBitmap != nullptr) DeleteObject(pictureBitmap);
}

void CInstDlg::DoDataExchange(DataExchange &dx) {
  Dialog::DoDataExchange(dx);
  dx.control(IDC_PICTURE, picture);
  dx.control(IDC_PROGRESS_TEXT, progressText);
  dx.control(IDC_FINISH_TEXT, finishText);
  dx.control(IDC_BROWSE, browseButton);
  dx.control(IDC_PROGRESS, progressBar);
  dx.control(IDC_TYPEDESC, descriptionEdit);
  dx.control(IDC_INST_CANCEL, cancelButton);
  dx.control(IDC_INST_START, startButton);
  dx.control(IDC_TYPECOMBO, typeCombo);
  dx.control(IDC_FREECAP, freeSpaceText);
  dx.control(IDC_NEEDCAP, neededSpaceText);
  dx.control(IDC_DRIVECOMBO, driveCombo);
  dx.control(IDC_INSTDIR, folderEdit);
}

BEGIN_MESSAGE_MAP(CInstDlg, Dialog)
  ON_WM_PAINT()
  ON_WM_QUERYDRAGICON()
  ON_CBN_SELCHANGE(IDC_DRIVECOMBO, OnSelchangeDrivecombo)
  ON_EN_CHANGE(IDC_INSTDIR, OnChangeInstdir)
  ON_CBN_SELCHANGE(IDC_TYPECOMBO, OnSelchangeTypecombo)
  ON_WM_CTLCOLOR()
  ON_BN_CLICKED(IDC_INST_CANCEL, OnInstCancel)
  ON_BN_CLICKED(IDC_INST_START, OnInstStart)
  ON_BN_CLICKED(IDC_BROWSE, OnBrowse)
END_MESSAGE_MAP()

std::string CInstDlg::getExeFolder(const char *suffix) const {
  char folder[MAX_PATH] = {};
  DWORD length = GetModuleFileNameA(nullptr, folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) folder[0] = '\0';
  PathRemoveFileSpecA(folder);
  PathAddBackslashA(folder);
  return std::string(folder) + (suffix != nullptr ? suffix : "");
}

std::string CInstDlg::getSourcePath(const char *name) const {
  std::string path = sourceFolder;
  AddBackslash(path);
  return path + (name != nullptr ? name : "");
}

void CInstDlg::cancelInst() {
  switch (phase) {
    case PHASE_SETUP:
      EndDialog(IDCANCEL);
      break;
    case PHASE_COPYING:
      // The copy driver sees the job cancelled, rolls back and ends the dialog.
      settings.requestCancel();
      break;
    default:
      break;
  }
  if (mutex != nullptr) {
    CloseHandle(mutex);
    mutex = nullptr;
  }
  startReturnProgram();
}

void CInstDlg::startReturnProgram() {
  if (returnProgram.empty()) return;
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOW;
  PROCESS_INFORMATION process = {};
  if (CreateProcessA(returnProgram.c_str(), nullptr, nullptr, nullptr, FALSE, NORMAL_PRIORITY_CLASS, nullptr,
                     nullptr, &startup, &process)) {
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
  }
}
