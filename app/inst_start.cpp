// The start button: the checks and questions before the copy, the shortcut dialog, the copy, and the file
// copied into the Windows folder; in the final view the same button ends the installer.
#include <windows.h>
#include <shlwapi.h>

#include <string>

#include "app/inst_dlg.h"
#include "app/path_text.h"
#include "copy/drive_space.h"
#include "ui/shortcut_dlg.h"

void CInstDlg::OnInstStart() {
  if (phase == PHASE_SETUP) {
    runStartSequence();
  } else if (phase == PHASE_DONE) {
    runExitSequence();
  }
}

void CInstDlg::runExitSequence() {
  if (mutex != nullptr) {
    CloseHandle(mutex);
    mutex = nullptr;
  }
  startReturnProgram();
  EndDialog(IDOK);
}

void CInstDlg::runStartSequence() {
  std::string dest = TrimBlanks(folderEdit.GetWindowText());
  AddBackslash(dest);
  // Every check below and the copy work in path buffers: a longer folder is refused, not cut.
  if (dest.size() >= MAX_PATH) {
    std::string text = "インストール先フォルダ\"" + dest +
                       "\"\nが長すぎるため、インストールできません。インストール先を変更してください。";
    MessageBox(text.c_str(), "フォルダ名が長すぎます", MB_OK | MB_ICONERROR);
    return;
  }

  int reason = DRIVE_PATH_OK;
  if (!checkDrivePath(dest.c_str(), &reason)) {
    switch (reason) {
      case DRIVE_PATH_FORBIDDEN_CHAR:
        MessageBox("インストール先フォルダに不適切な文字を含んでいます。以下の文字はフォルダ名には使用できません\n"
                   "\t/ : * ? \" < > |",
                   "不適切なフォルダ名", MB_OK | MB_ICONERROR);
        break;
      case DRIVE_PATH_NO_ROOT:
        MessageBox("インストール先フォルダにドライブが指定されていません。", "不適切なフォルダ名", MB_OK | MB_ICONERROR);
        break;
      default:
        MessageBox("インストール先のドライブが不適切なドライブ名です。", "不適切なドライブ名", MB_OK | MB_ICONERROR);
        break;
    }
    return;
  }

  if (MessageBox("インストールを開始します。よろしいですか？", "確認", MB_YESNO | MB_ICONQUESTION) != IDYES) return;

  int sel = typeCombo.GetCurSel();
  if (sel == CB_ERR || typeCombo.GetLBTextLen(sel) == CB_ERR) {
    MessageBox("インストールタイプの選択が不正です", "エラー", MB_OK | MB_ICONERROR);
    return;
  }
  std::string name = typeCombo.GetLBText(sel);

  DWORD freeKB = checkFreeCapKB();
  DWORD neededKB = checkNeedCapKB();
  if (neededKB > freeKB) {
    if (MessageBox("選択されたドライブは、インストールに必要な容量が足りない可能性があります。\nインストールを強行しますか？",
                   "強行の確認", MB_YESNO | MB_ICONERROR | MB_DEFBUTTON2) == IDNO) {
      return;
    }
  }

  InstTypeInfo type;
  if (!findInstType(name, type)) return;
  chosenType = type;
  std::string src = getSourcePath("");

  size_t room = 0;
  for (int i = 0;; ++i) {
    const std::string &item = settings.inf.get("MenuItem", i);
    if (item.empty()) break;
    if (item.size() > room) room = item.size();
  }

  if (settings.checkInstDir(type, src.c_str(), dest.c_str()) != INSTDIR_OK) return;

  if (!additive) {
    // Owned by the main dialog, which takes no input while the shortcut dialog is open.
    CShortcutDlg shortcuts(hwnd());
    shortcuts.programGroup = programGroup;
    shortcuts.nameReserve = static_cast<int>(room) + 4;
    if (shortcuts.DoModal() != IDOK) {
      settings.reset();
      return;
    }
    programGroup = shortcuts.GetProgramGroup();
    desktopShortcut = shortcuts.GetDesktopShortcut();
    allUsers = shortcuts.GetAllUsers();
  }

  startButton.EnableWindow(false);
  runFileCopy();
  copyToWindowsFolder(src);
}

void CInstDlg::copyToWindowsFolder(const std::string &src) {
  const std::string &name = settings.inf.get("CopyToWinDir", 0);
  if (name.empty()) return;
  char windows[MAX_PATH] = {};
  UINT length = GetWindowsDirectoryA(windows, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return;
  std::string target = windows;
  AddBackslash(target);
  target += name;
  std::string origin = src;
  AddBackslash(origin);
  origin += name;
  if (target.size() >= MAX_PATH || origin.size() >= MAX_PATH) return;
  CopyFileA(origin.c_str(), target.c_str(), FALSE);
}
