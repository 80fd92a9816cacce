#pragma once
// The installer's main dialog: start-up checks, destination and install type, the start of the copy, the
// copy itself and, through finishInst, the registration.
#include <windows.h>

#include <string>

#include "app/inst_settings.h"
#include "app/inst_type.h"
#include "framework/controls.h"
#include "framework/dialog.h"

// What the dialog is doing; every button acts on it.
enum InstPhase : int {
  PHASE_SETUP = 0,
  PHASE_COPYING = 1,
  PHASE_FINISHING = 2,
  PHASE_DONE = 3,
};

class CInstDlg : public Dialog {
 public:
  explicit CInstDlg(HWND parent = nullptr);
  ~CInstDlg() override;

  // The quit routine of the start-up failures and the cancel button: by phase, ends the dialog (setup) or
  // asks the copy to stop (copying); then closes the mutex and starts the return program.
  void cancelInst();
  // The installer's own folder with a trailing backslash, then suffix.
  std::string getExeFolder(const char *suffix) const;
  // The source folder, a backslash added when missing, then name.
  std::string getSourcePath(const char *name) const;
  // Copies the install type called name (exact bytes) into found; false, found unchanged, when none.
  bool findInstType(std::string name, InstTypeInfo &found) const;
  // Needed KB of the selected install type; fills the needed-space text and the description.
  DWORD checkNeedCapKB();
  // Free KB of the drive of the folder text; fills the free-space text.
  DWORD checkFreeCapKB();
  // Both figures; sets the space-enough flag and redraws the free-space text.
  void checkSpace();
  // Runs the prepared copy with its own message loop, then finishes (finishInst) or rolls back and ends.
  void runFileCopy();
  // After a completed copy: shortcuts, uninstall entry, setup_data, uninst.inf, the final view (phase 3).
  void finishInst();

  // Status text of the copy for progress fraction f after elapsedMs; bar is set to the bar position to show,
  // or -1 when the bar is not moved. percent is the whole percentage from the poll.
  static std::string copyStatusText(double f, DWORD elapsedMs, int percent, int *bar);
  // "%.2f [MB]" below 1048576 KB, "%.2f [GB]" from there.
  static std::string formatSizeKB(DWORD kb);

  // Control objects, bound by DoDataExchange in this order.
  StaticCtl picture;          // 1027
  StaticCtl progressText;     // 1019
  EditCtl finishText;         // 1017
  ButtonCtl browseButton;     // 1001
  ProgressCtl progressBar;    // 1010
  EditCtl descriptionEdit;    // 1009
  ButtonCtl cancelButton;     // 1002
  ButtonCtl startButton;      // 1003
  ComboBoxCtl typeCombo;      // 1007
  StaticCtl freeSpaceText;    // 1006
  StaticCtl neededSpaceText;  // 1005
  ComboBoxCtl driveCombo;     // 1004
  EditCtl folderEdit;         // 1000

  HICON icon = nullptr;            // resource 128
  HANDLE mutex = nullptr;          // the single-instance mutex, owned for the whole run
  int phase = PHASE_SETUP;
  bool spaceEnough = false;        // needed KB < free KB
  InstTypeInfo chosenType;         // the type chosen at start
  std::string driveFolders[26];    // remembered destination per drive letter, A..Z
  InstTypeList instTypes;          // from inst.inf, in file order
  InstSettings settings;
  std::string returnProgram;       // started when the installer ends
  std::string sourceFolder;        // holds inst.inf and the files to copy
  bool additive = false;           // an additional installation into an existing one
  std::string programGroup;        // start-menu program group, relative to the Programs folder
  bool desktopShortcut = false;
  bool allUsers = true;

 private:
  HBITMAP pictureBitmap = nullptr;  // the Image bitmap shown in the picture, owned here

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(DataExchange &dx) override;
  void OnCancel() override;

 private:
  void OnPaint();
  HCURSOR OnQueryDragIcon();
  void OnSelchangeDrivecombo();
  void OnChangeInstdir();
  void OnSelchangeTypecombo();
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT controlType);
  void OnInstCancel();
  void OnInstStart();
  void OnBrowse();

  // Start-up pieces.
  bool launchInstalledProgram(const std::string &installedFolder);
  bool checkAdditiveRequirements(const std::string &installedFolder) const;
  void fillDriveTable(const std::string &defaultFolder, const std::string &initialFolder);
  void startReturnProgram();
  // Start button pieces.
  void runStartSequence();
  void runExitSequence();
  void copyToWindowsFolder(const std::string &src);

  DECLARE_MESSAGE_MAP()
};
