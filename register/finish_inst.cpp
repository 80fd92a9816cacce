// The end of a completed copy: registration, the completion message and the final view of the main dialog.
#include <windows.h>
#include <shlwapi.h>

#include <memory>
#include <new>
#include <string>

#include "app/inst_dlg.h"
#include "app/inst_ids.h"
#include "config/reg_ctrl.h"
#include "config/setup_log.h"

namespace {
const char kStandardFinishText[] =
    "インストールが完了しました。\r\n"
    "終了ボタンを押してインストーラーを終了させた後、マニュアルの手順に従ってゲームを起動してください。";

// The whole file as a terminated text (what could be read of it); null when it cannot be opened, its size is
// not known or no memory is left for it.
std::unique_ptr<char[]> readWholeFile(const std::string &path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return nullptr;
  std::unique_ptr<char[]> text;
  DWORD size = GetFileSize(file, nullptr);
  if (size != INVALID_FILE_SIZE) text.reset(new (std::nothrow) char[static_cast<size_t>(size) + 1]());
  if (text) {
    DWORD got = 0;
    ReadFile(file, text.get(), size, &got, nullptr);
  }
  CloseHandle(file);
  return text;
}
}  // namespace

void CInstDlg::finishInst() {
  setupLog.print("--- finishInst()\n");
  phase = PHASE_FINISHING;
  cancelButton.EnableWindow(false);
  setupLog.print("*");
  // One byte more than a path: the backslash may still have to be added to 259 characters.
  char instDir[MAX_PATH + 1] = {};
  folderEdit.GetWindowText(instDir, MAX_PATH);
  setupLog.print("*");
  PathRemoveBlanksA(instDir);
  setupLog.print("*");
  PathAddBackslashA(instDir);
  setupLog.print("*\n");

  if (!additive) {
    settings.registerStartMenu(instDir, programGroup.c_str(), desktopShortcut, allUsers);
    settings.registerUninstInfo(instDir);
    std::string productKey = "SOFTWARE\\" + settings.inf.get("VenderName", 0) + "\\" + settings.inf.get("AppName", 0);
    RegCtrl product;
    product.open(productKey.c_str(), MODE_UPDATE, HKEY_LOCAL_MACHINE);
    product.set("setup_data", instDir);
    product.close(true);
  }
  settings.writeUninstInf(instDir);
  phase = PHASE_DONE;

  MessageBox(additive ? "追加インストールが完了しました。" : "インストールが完了しました。", "正常終了",
             MB_OK | MB_ICONINFORMATION);

  static const int kLabelsAndFrames[] = {IDC_DEST_GROUP,    IDC_DRIVE_LABEL,   IDC_FOLDER_LABEL, IDC_TYPE_GROUP,
                                         IDC_NEEDCAP_LABEL, IDC_FREECAP_LABEL, IDC_BROWSE};
  for (int id : kLabelsAndFrames) ::ShowWindow(GetDlgItem(id), SW_HIDE);
  progressBar.ShowWindow(SW_HIDE);
  descriptionEdit.ShowWindow(SW_HIDE);
  typeCombo.ShowWindow(SW_HIDE);
  freeSpaceText.ShowWindow(SW_HIDE);
  neededSpaceText.ShowWindow(SW_HIDE);
  driveCombo.ShowWindow(SW_HIDE);
  folderEdit.ShowWindow(SW_HIDE);
  progressText.ShowWindow(SW_HIDE);

  // The readme of the disc, shown as it is; without one, the standard text.
  std::unique_ptr<char[]> readme = readWholeFile(getSourcePath("readme.1st"));
  finishText.ShowWindow(SW_SHOW);
  finishText.SetWindowText(readme ? readme.get() : kStandardFinishText);

  startButton.SetWindowText("終了");
  startButton.EnableWindow(true);
}
