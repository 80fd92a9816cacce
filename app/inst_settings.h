#pragma once
// The settings of one installation run: the inst.inf contents, the copy job and its totals, the chosen
// install type, what the start-menu registration created, and the routine that shows this object's messages.
#include <windows.h>

#include <list>
#include <string>

#include "app/inst_type.h"
#include "config/inf_ctrl.h"
#include "copy/copy_job.h"

// Shows a message box without owner; same arguments and result as MessageBoxA (ShowPrompt by default).
using MessageRoutine = int (*)(HWND owner, LPCSTR text, LPCSTR caption, UINT flags);

// Results of checkInstDir.
enum InstDirResult : int {
  INSTDIR_OK = 0,        // the installation may proceed
  INSTDIR_ERROR = 1,     // an error, its message (if any) already shown
  INSTDIR_DECLINED = 2,  // the user declined a question
};

class InstSettings {
 public:
  InstSettings();
  virtual ~InstSettings();
  InstSettings(const InstSettings &) = delete;
  InstSettings &operator=(const InstSettings &) = delete;

  // Reads inst.inf into the inf store and appends one InstTypeInfo per InstType value, in file order, to
  // types; hands GameDiscID and DataDiscID to the copy job. 0 when read, 3 when it cannot be opened.
  virtual int loadInstInf(const char *infPath, InstTypeList &types);
  // Checks the destination folder dest (blanks trimmed, trailing backslash) for type, asks, creates it when
  // agreed, and prepares the copy job from src (trailing backslash) to dest. An InstDirResult.
  virtual int checkInstDir(const InstTypeInfo &type, const char *src, const char *dest);

  // Asks a prepared, running copy job to stop; false (nothing changed) otherwise.
  bool requestCancel();
  // Forgets the prepared job: prepared := false, message routine := ShowPrompt, the copy job deactivated.
  void reset();
  // One step of a prepared job: its status, and the whole percentage copied as the count.
  IoResult poll();
  // copiedKB / totalKB; 0.0 when totalKB is 0.
  double getProgress() const;

  // Start-menu group, its shortcuts and the desktop shortcut for a full installation. instDir ends in a
  // backslash; programGroup is relative to the Programs folder. Fills programGroupFolder, groupExisted,
  // programIcons, desktopShortcutPath. Always true.
  bool registerStartMenu(const char *instDir, const char *programGroup, bool desktopShortcut, bool allUsers);
  // The entry in the system's list of installed programs. True when it was written.
  bool registerUninstInfo(const char *instDir);
  // Writes (or, in an additional installation, extends) uninst.inf in instDir. True when it was written.
  bool writeUninstInf(const char *instDir);

  // Shows a message through the message routine, without owner; 0 when there is no routine.
  int showMessage(const char *text, const char *caption, UINT flags) const;

  CopyJob copyJob;                       // copies the chosen type; holds the disc IDs
  InfCtrl inf;                           // inst.inf, kept for the whole run
  bool prepared = false;                 // checkInstDir prepared the job and the totals
  DWORD totalKB = 0;                     // DataDiscSize of the selected type + sizes of the chosen entries
  DWORD copiedKB = 0;                    // KB count of the last step
  InstTypeInfo chosenType;               // copy of the type chosen at start
  int selectedTypeIndex = 0;             // selection of the install-type combo box (CB_ERR when none)
  std::string programGroupFolder;        // Programs folder joined with the program group
  std::string groupExisted;              // deepest folder on the way to the group that existed before
  std::string desktopShortcutPath;       // desktop shortcut file, empty when none was made
  std::list<std::string> programIcons;   // start-menu shortcut files made, in menu order
  bool additive = false;                 // AdditiveInstall is "enable"
  MessageRoutine messageRoutine;         // ShowPrompt unless replaced
};
