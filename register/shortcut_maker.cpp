#include "register/shortcut_maker.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include "config/setup_log.h"

namespace {
// Sets every property and saves the file; the link and its file interface are the caller's.
void writeLink(IShellLinkA *link, IPersistFile *file, const char *linkPath, const char *target,
               const char *description, const char *arguments, const char *workingFolder, const char *iconPath,
               int iconIndex, int showCommand) {
  link->SetPath(target);
  setupLog.print("-");
  link->SetDescription(description);
  setupLog.print("-");
  link->SetArguments(arguments);
  setupLog.print("-");
  link->SetWorkingDirectory(workingFolder);
  setupLog.print("-");
  link->SetIconLocation(iconPath, iconIndex);
  setupLog.print("-");
  link->SetShowCmd(showCommand);
  setupLog.print("-");
  WCHAR widePath[MAX_PATH] = {};
  // A path that does not fit would be saved under a cut or garbled name: then save nothing.
  bool converted = MultiByteToWideChar(CP_ACP, 0, linkPath, -1, widePath, MAX_PATH) != 0;
  setupLog.print("5");
  if (converted) file->Save(widePath, TRUE);
  setupLog.print("6");
}
}  // namespace

bool MakeShortCut(const char *linkPath, const char *target, const char *description, const char *arguments,
                  const char *workingFolder, const char *iconPath, int iconIndex, int showCommand) {
  setupLog.print("--- MakeShortCut( %s, %s, %s )\n", linkPath, target, workingFolder);
  setupLog.print("1");
  bool made = false;
  if (SUCCEEDED(CoInitialize(nullptr))) {
    setupLog.print("2");
    IShellLinkA *link = nullptr;
    if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                   reinterpret_cast<void **>(&link)))) {
      setupLog.print("3");
      IPersistFile *file = nullptr;
      if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file)))) {
        setupLog.print("4");
        writeLink(link, file, linkPath, target, description, arguments, workingFolder, iconPath, iconIndex,
                  showCommand);
        file->Release();
        setupLog.print("7");
        made = true;
      }
      link->Release();
    }
    CoUninitialize();
  }
  setupLog.print("\n--- exit MakeShortCut()\n");
  return made;
}
