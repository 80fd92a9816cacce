// The main dialog's own control handling: painting when minimised, the drive combo box with its remembered
// folder per drive, the folder edit, the folder chooser, and the cancel button with the Esc key.
#include <windows.h>
#include <shlobj.h>

#include <cctype>
#include <string>

#include "app/inst_dlg.h"

namespace {
// Upper-case drive letter when text begins with a letter, ":" and a backslash; 0 otherwise.
char folderDrive(const std::string &text) {
  if (text.size() < 3) return 0;
  unsigned char c = static_cast<unsigned char>(text[0]);
  if (c >= 0x80 || !std::isalpha(c) || text[1] != ':' || text[2] != '\\') return 0;
  return static_cast<char>(std::toupper(c));
}
}  // namespace

void CInstDlg::OnPaint() {
  if (!IsIconic()) {
    Dialog::OnPaint();
    return;
  }
  PAINTSTRUCT paint;
  HDC dc = BeginPaint(hwnd(), &paint);
  SendMessage(WM_ICONERASEBKGND, reinterpret_cast<WPARAM>(dc), 0);
  RECT client;
  GetClientRect(&client);
  int x = (client.right - client.left - GetSystemMetrics(SM_CXICON) + 1) / 2;
  int y = (client.bottom - client.top - GetSystemMetrics(SM_CYICON) + 1) / 2;
  DrawIcon(dc, x, y, icon);
  EndPaint(hwnd(), &paint);
}

HCURSOR CInstDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(icon); }

void CInstDlg::OnSelchangeDrivecombo() {
  std::string text = folderEdit.GetWindowText();
  char oldDrive = folderDrive(text);
  if (oldDrive != 0) driveFolders[oldDrive - 'A'] = text;

  char item[MAX_PATH] = {};
  if (driveCombo.GetLBText(driveCombo.GetCurSel(), item, MAX_PATH) == CB_ERR) return;
  unsigned char first = static_cast<unsigned char>(item[0]);
  if (first >= 0x80 || !std::isalpha(first)) return;
  char newDrive = static_cast<char>(std::toupper(first));
  if (newDrive != oldDrive) folderEdit.SetWindowText(driveFolders[newDrive - 'A'].c_str());
}

void CInstDlg::OnChangeInstdir() {
  checkFreeCapKB();
  checkSpace();
}

void CInstDlg::OnBrowse() {
  char folder[MAX_PATH] = {};
  BROWSEINFOA browse = {};
  browse.hwndOwner = hwnd();
  browse.pidlRoot = nullptr;
  browse.pszDisplayName = folder;
  browse.lpszTitle = "インストール先のフォルダ、またはドライブを選んでください";
  browse.ulFlags = BIF_RETURNONLYFSDIRS;
  LPITEMIDLIST chosen = SHBrowseForFolderA(&browse);
  if (chosen == nullptr) return;
  if (SHGetPathFromIDListA(chosen, folder)) folderEdit.SetWindowText(folder);
  CoTaskMemFree(chosen);
}

void CInstDlg::OnInstCancel() {
  if (MessageBox("インストールを中止します。よろしいですか？", "確認", MB_YESNO | MB_ICONQUESTION) == IDYES) {
    cancelInst();
  }
}

void CInstDlg::OnCancel() {
  // Esc and the like act as the cancel button, and only while it can be pressed.
  if (cancelButton.IsWindowEnabled()) OnInstCancel();
}
