#include "ui/shortcut_dlg.h"

#include "sysinfo/sysinf.h"
#include "ui/shortcut_ids.h"

BEGIN_MESSAGE_MAP(CShortcutDlg, Dialog)
  ON_EN_CHANGE(IDC_PROGRAM_GROUP, OnChangeProgramGroup)
  ON_BN_CLICKED(IDC_DESKTOP_CHECK, OnDesktopCheck)
  ON_BN_CLICKED(IDC_ALL_USERS, OnScopeRadio)
  ON_BN_CLICKED(IDC_CURRENT_USER, OnScopeRadio)
END_MESSAGE_MAP()

CShortcutDlg::CShortcutDlg(HWND parent) : Dialog(IDD_SHORTCUT_DIALOG, parent) {}

CShortcutDlg::~CShortcutDlg() = default;

bool CShortcutDlg::GetAllUsers() const { return SysInf::IsWinNT() && allUsers; }

void CShortcutDlg::DoDataExchange(DataExchange &dx) { dx.control(IDC_PROGRAM_GROUP, groupEdit); }

bool CShortcutDlg::OnInitDialog() {
  Dialog::OnInitDialog();
  groupEdit.SetWindowText(programGroup.c_str());
  OnChangeProgramGroup();
  SendDlgItemMessage(IDC_DESKTOP_CHECK, BM_SETCHECK, BST_CHECKED);
  OnDesktopCheck();
  if (SysInf::IsWinNT()) {
    CheckRadioButton(IDC_ALL_USERS, IDC_CURRENT_USER, IDC_ALL_USERS);
    OnScopeRadio();
  } else {
    // The 95 family has one start menu for everybody: there is nothing to choose.
    static const int kScopeControls[] = {IDC_SCOPE_FRAME, IDC_ALL_USERS, IDC_CURRENT_USER};
    for (int id : kScopeControls) ::ShowWindow(GetDlgItem(id), SW_HIDE);
  }
  return true;
}

void CShortcutDlg::OnChangeProgramGroup() { programGroup = groupEdit.GetWindowText(); }

void CShortcutDlg::OnDesktopCheck() { desktopShortcut = SendDlgItemMessage(IDC_DESKTOP_CHECK, BM_GETCHECK) != 0; }

void CShortcutDlg::OnScopeRadio() {
  allUsers = GetCheckedRadioButton(IDC_ALL_USERS, IDC_CURRENT_USER) == IDC_ALL_USERS;
}

void CShortcutDlg::OnOK() {
  // Every shortcut file is <Programs>\<group>\<item>.lnk; the reserve covers the item and ".lnk". The two
  // separators are not counted.
  char programs[MAX_PATH] = {};
  int programsLength = SysInf::GetProgramsPath(allUsers, programs) ? lstrlenA(programs) : 0;
  int total = groupEdit.GetWindowTextLength() + programsLength + nameReserve;
  if (total <= MAX_PATH) {
    Dialog::OnOK();
    return;
  }
  MessageBox("入力されたプログラムグループが長すぎるため、ショートカットを作成できません。"
             "プログラムグループを変更してください。",
             "文字数オーバー", MB_OK | MB_ICONERROR);
}
