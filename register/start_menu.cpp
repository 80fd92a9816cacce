// The start-menu program group with one shortcut per menu item, and the desktop shortcut.
#include <windows.h>

#include <string>
#include <vector>

#include "app/inst_settings.h"
#include "config/setup_log.h"
#include "copy/append_path.h"
#include "copy/directories.h"
#include "register/shortcut_maker.h"
#include "sysinfo/sysinf.h"

namespace {
const char *boolText(bool value) { return value ? "true" : "false"; }
}  // namespace

bool InstSettings::registerStartMenu(const char *instDir, const char *programGroup, bool desktopShortcut,
                                     bool allUsers) {
  setupLog.print("--- registerStartMenu(%s,%s,%s,%s)\n", instDir, programGroup, boolText(desktopShortcut),
                 boolText(allUsers));
  setupLog.print("*");
  const std::string &appNameW = inf.get("AppNameW", 0);
  setupLog.print("*\n");

  char programs[MAX_PATH] = {};
  if (SysInf::GetProgramsPath(allUsers, programs)) {
    programGroupFolder = programs;
  } else {
    // The group folder keeps what it held (checkInstDir empties it): the group is then made relative to the
    // current folder, and the installation goes on.
    showMessage("GetProgramsPath() failed. : プログラムフォルダの位置を取得できませんでした。", "システムエラー",
                MB_OK | MB_ICONEXCLAMATION);
  }
  setupLog.print("\nプログラムフォルダの位置取得:%s\n", programGroupFolder.c_str());

  programGroupFolder = appendPath(programGroupFolder, programGroup);
  setupLog.print("*");
  // makeDirectory's answer is at most as long as the folder it was given.
  std::vector<char> existed(programGroupFolder.size() + MAX_PATH, '\0');
  makeDirectory(programGroupFolder.c_str(), existed.data());
  groupExisted = existed.data();
  setupLog.print("*");

  programIcons.clear();
  int items = inf.count("MenuItem");
  setupLog.print("*\n");
  for (int n = 0; n < items; ++n) {
    setupLog.print("メニュー項目の追加(%d)\n", n + 1);
    const std::string &itemName = inf.get("MenuItem", n);
    setupLog.print("*");
    const std::string &relativeTarget = inf.get(itemName.c_str(), 0);
    setupLog.print("*");
    std::string target = appendPath(instDir, relativeTarget);
    setupLog.print("*");
    const std::string &description = inf.get(itemName.c_str(), 1);
    setupLog.print("*");
    std::string linkFile = appendPath(programGroupFolder, itemName) + ".lnk";
    setupLog.print("*\n");
    MakeShortCut(linkFile.c_str(), target.c_str(), description.c_str(), nullptr, instDir, nullptr, 0,
                 SW_SHOWNORMAL);
    programIcons.push_back(linkFile);

    char desktop[MAX_PATH] = {};
    if (n == 0 && desktopShortcut && SysInf::GetDesktopPath(allUsers, desktop)) {
      desktopShortcutPath = appendPath(desktop, appNameW) + ".lnk";
      MakeShortCut(desktopShortcutPath.c_str(), target.c_str(), description.c_str(), nullptr, instDir, nullptr, 0,
                   SW_SHOWNORMAL);
    }
  }
  setupLog.print("--- exit registerStartMenu()\n");
  return true;
}
