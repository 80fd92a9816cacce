// Install types and the space display: the needed KB of the selected type, the free KB of the destination's
// drive, and the red free-space text when the space is short.
#include <windows.h>

#include <cctype>
#include <cstdio>
#include <string>

#include "app/inst_dlg.h"
#include "copy/drive_space.h"

std::string CInstDlg::formatSizeKB(DWORD kb) {
  char text[64];
  if (kb < 1048576) {
    std::snprintf(text, sizeof(text), "%.2f [MB]", kb / 1024.0);
  } else {
    std::snprintf(text, sizeof(text), "%.2f [GB]", kb / 1048576.0);
  }
  return text;
}

bool CInstDlg::findInstType(std::string name, InstTypeInfo &found) const {
  for (const InstTypeInfo &type : instTypes.types) {
    if (type.name == name) {
      found.name = type.name;
      found.entries = type.entries;
      return true;
    }
  }
  return false;
}

void CInstDlg::OnSelchangeTypecombo() {
  // checkSpace fills the description and both sizes: one pass over the type's files is enough.
  settings.selectedTypeIndex = typeCombo.GetCurSel();
  checkSpace();
}

DWORD CInstDlg::checkNeedCapKB() {
  int sel = typeCombo.GetCurSel();
  if (sel == CB_ERR) return 0;
  DWORD needed = 0;
  std::string name = typeCombo.GetLBText(sel);
  InstTypeInfo type;
  if (!name.empty() && findInstType(name, type)) {
    needed = settings.copyJob.sumEntrySizesKB(getSourcePath("").c_str(), type);
    int discKB = 0;
    settings.inf.getInt("DataDiscSize", sel, discKB);
    needed += static_cast<DWORD>(discKB);
    neededSpaceText.SetWindowText(formatSizeKB(needed).c_str());
  }
  descriptionEdit.SetWindowText(settings.inf.get("InstTypeDesc", sel).c_str());
  return needed;
}

DWORD CInstDlg::checkFreeCapKB() {
  char text[MAX_PATH] = {};
  folderEdit.GetWindowText(text, MAX_PATH);
  unsigned char first = static_cast<unsigned char>(text[0]);
  if (first >= 0x80 || !std::isalpha(first) || text[1] != ':' || text[2] != '\\') return 0;
  DWORD freeKB = 0;
  if (getDiskFreeKB(text, &freeKB)) {
    freeSpaceText.SetWindowText(formatSizeKB(freeKB).c_str());
    return freeKB;
  }
  freeSpaceText.SetWindowText("不正なドライブです");
  return 0;
}

void CInstDlg::checkSpace() {
  DWORD freeKB = checkFreeCapKB();
  DWORD neededKB = checkNeedCapKB();
  spaceEnough = neededKB < freeKB;
  if (freeSpaceText.hwnd() != nullptr) InvalidateRect(freeSpaceText.hwnd(), nullptr, FALSE);
}

HBRUSH CInstDlg::OnCtlColor(HDC dc, HWND control, UINT controlType) {
  HBRUSH brush = Dialog::OnCtlColor(dc, control, controlType);
  if (control != nullptr && control == freeSpaceText.hwnd() && !spaceEnough) SetTextColor(dc, RGB(255, 0, 0));
  return brush;
}
