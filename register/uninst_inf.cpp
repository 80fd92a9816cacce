// uninst.inf: everything the separate uninstaller is to remove, written anew for a full installation and
// extended by an additional one.
#include <windows.h>

#include <string>

#include "app/inst_settings.h"
#include "config/inf_ctrl.h"

namespace {
const char kHeader[] =
    "このファイルには変更を加えないで下さい。アンインストール時に予期せぬ動作をする可能性があります。";

// Whether text ends in a backslash that is not the second byte of a double-byte character.
bool endsInBackslash(const char *text) {
  const char *last = nullptr;
  for (const char *p = text; *p != '\0'; p = CharNextA(p)) last = p;
  return last != nullptr && *last == '\\';
}

bool isListed(const InfCtrl &file, const char *key, const std::string &value) {
  int values = file.count(key);
  for (int i = 0; i < values; ++i)
    if (file.get(key, i) == value) return true;
  return false;
}
}  // namespace

bool InstSettings::writeUninstInf(const char *instDir) {
  std::string path = std::string(instDir) + (endsInBackslash(instDir) ? "" : "\\") + "uninst.inf";
  InfCtrl file;
  // An additional installation extends the file of the first one; without it, it writes none.
  file.open(path.c_str(), additive ? MODE_UPDATE : MODE_WRITE);
  file.comment = kHeader;
  if (!additive) {
    file.add("VenderName", inf.get("VenderName", 0));
    file.add("AppName", inf.get("AppName", 0));
    file.add("AppNameW", inf.get("AppNameW", 0));
  }
  const std::string &uninstaller = inf.get("Uninstaller", 0);
  for (const std::string &entry : chosenType.entries) {
    // Each file once, none already listed by an earlier installation, and never the uninstaller itself.
    if (isListed(file, "DelFile", entry)) continue;
    if (entry == uninstaller) continue;
    file.add("DelFile", entry);
  }
  if (!additive) {
    std::string windowsFile;
    if (inf.getString("CopyToWinDir", 0, windowsFile)) file.add("DelSysfile", windowsFile);
    file.add("Uninstaller", uninstaller);
    for (const std::string &icon : programIcons) file.add("ProgramIcon", icon);
    file.add("ProgramGroup", programGroupFolder);
    file.add("ProgramGroup_Existed", groupExisted);
    if (!desktopShortcutPath.empty()) file.add("DesktopShortcut", desktopShortcutPath);
  }
  return file.close(true);
}
