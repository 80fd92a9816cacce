// The product's entry in the system's list of installed programs.
#include <windows.h>

#include <string>

#include "app/inst_settings.h"
#include "config/reg_ctrl.h"
#include "config/setup_log.h"
#include "copy/append_path.h"

bool InstSettings::registerUninstInfo(const char *instDir) {
  setupLog.print("--- registerUninstInfo()\n");
  std::string key = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + inf.get("VenderName", 0) + "-" +
                    inf.get("AppName", 0);
  setupLog.print("*");
  RegCtrl entry;
  // Values already under the key are loaded here and written back unchanged.
  entry.open(key.c_str(), MODE_UPDATE, HKEY_LOCAL_MACHINE);
  setupLog.print("*");
  const std::string &displayName = inf.get("AppNameW", 0);
  setupLog.print("*");
  entry.set("DisplayName", displayName);
  setupLog.print("*");
  std::string uninstaller = appendPath(instDir, inf.get("Uninstaller", 0));
  setupLog.print("*");
  entry.set("UninstallString", uninstaller);
  setupLog.print("*");
  bool written = entry.close(true);
  setupLog.print("*\n");
  setupLog.print("--- exit registerUninstInfo()\n");
  return written;
}
