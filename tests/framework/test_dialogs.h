#pragma once
// Small dialog classes over the test templates, recording what the framework calls on them.
#include <windows.h>

#include "framework/dialog.h"
#include "tests/framework/test_dialog_ids.h"

#include <functional>
#include <string>

// The test template with every kind of control bound, and a handler for each kind of message.
class TestDlg : public Dialog {
 public:
  explicit TestDlg(Dialog *parent = nullptr) : Dialog(IDD_TEST, parent) {}

  // Runs at the end of OnInitDialog (after the framework's initialisation); its result is returned.
  std::function<bool(TestDlg &)> onInit;
  // Replaces the framework's OnCancel when set.
  std::function<void(TestDlg &)> onCancel;
  // Runs in the start button's handler.
  std::function<void(TestDlg &)> onStart;

  StaticCtl label;
  EditCtl edit;
  ComboBoxCtl combo;
  ButtonCtl browse;
  ButtonCtl start;
  ProgressCtl progress;
  StaticCtl picture;
  EditCtl note;
  ButtonCtl desktop;
  std::string name;  // exchanged with the edit's text

  bool bindMissing = false;  // also bind an id that the template lacks
  bool bindResultAtInit = false;

  int browseClicks = 0;
  int editChanges = 0;
  std::string editTextAtChange;
  int comboChanges = 0;
  std::string comboTextAtChange;
  int paints = 0;
  UINT lastCtlColorType = 0xFFFF;
  HWND lastCtlColorControl = nullptr;
  HBRUSH labelBrush = nullptr;
  HICON dragIcon = nullptr;
  int okCalls = 0;
  int cancelCalls = 0;

 protected:
  bool OnInitDialog() override;
  void DoDataExchange(DataExchange &dx) override;
  void OnOK() override;
  void OnCancel() override;

  void OnBrowse();
  void OnStart();
  void OnChangeEdit();
  void OnSelchangeCombo();
  void OnPaint();
  HCURSOR OnQueryDragIcon();
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT controlType);

  DECLARE_MESSAGE_MAP()
};

// Replaces the browse button's handler of its base and handles IDOK itself (ending with 77);
// everything else comes from TestDlg's map.
class DerivedDlg : public TestDlg {
 public:
  int derivedBrowseClicks = 0;

 protected:
  void OnBrowseDerived() { ++derivedBrowseClicks; }
  void OnOkDerived() { EndDialog(77); }

  DECLARE_MESSAGE_MAP()
};

// The small dialog without WS_VISIBLE, run from inside a handler of TestDlg.
class ChildDlg : public Dialog {
 public:
  explicit ChildDlg(Dialog *parent) : Dialog(IDD_CHILD, parent) {}
  explicit ChildDlg(HWND parent = nullptr) : Dialog(IDD_CHILD, parent) {}
};
