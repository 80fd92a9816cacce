#pragma once
// The small dialog before a full installation copies anything: the start-menu program group, whether a
// desktop shortcut is made and, on the NT family, whether the shortcuts go to all users. OK refuses a group
// whose shortcut paths would not fit a path buffer.
//
//   CShortcutDlg dlg;                      // no parent window
//   dlg.programGroup = "Maker\\Game";
//   dlg.nameReserve = longestMenuItem + 4;  // room for the longest "<item>.lnk"
//   if (dlg.DoModal() == IDOK) { dlg.GetProgramGroup(); dlg.GetDesktopShortcut(); dlg.GetAllUsers(); }
#include <windows.h>

#include <string>

#include "framework/controls.h"
#include "framework/dialog.h"

class CShortcutDlg : public Dialog {
 public:
  explicit CShortcutDlg(HWND parent = nullptr);
  ~CShortcutDlg() override;

  const std::string &GetProgramGroup() const { return programGroup; }
  bool GetDesktopShortcut() const { return desktopShortcut; }
  // The radio buttons' choice on the NT family; false on every other system, which has no such choice.
  bool GetAllUsers() const;

  std::string programGroup;      // relative to the Programs folder; set before DoModal, edited in the box
  bool desktopShortcut = false;  // follows the check box (checked when the dialog opens)
  bool allUsers = false;         // follows the radio buttons (all users when the dialog opens on NT)
  int nameReserve = 0;           // bytes kept free for the longest shortcut file name

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(DataExchange &dx) override;
  void OnOK() override;

 private:
  void OnChangeProgramGroup();
  void OnDesktopCheck();
  void OnScopeRadio();

  EditCtl groupEdit;  // 1020

  DECLARE_MESSAGE_MAP()
};
