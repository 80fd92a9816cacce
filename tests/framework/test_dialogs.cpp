#include "tests/framework/test_dialogs.h"

BEGIN_MESSAGE_MAP(TestDlg, Dialog)
  ON_BN_CLICKED(IDC_BROWSE, OnBrowse)
  ON_BN_CLICKED(IDC_START, OnStart)
  ON_EN_CHANGE(IDC_EDIT, OnChangeEdit)
  ON_CBN_SELCHANGE(IDC_COMBO, OnSelchangeCombo)
  ON_WM_PAINT()
  ON_WM_QUERYDRAGICON()
  ON_WM_CTLCOLOR()
END_MESSAGE_MAP()

BEGIN_MESSAGE_MAP(DerivedDlg, TestDlg)
  ON_BN_CLICKED(IDC_BROWSE, OnBrowseDerived)
  ON_BN_CLICKED(IDOK, OnOkDerived)
END_MESSAGE_MAP()

bool TestDlg::OnInitDialog() {
  Dialog::OnInitDialog();
  bindResultAtInit = UpdateData(false);
  return onInit ? onInit(*this) : true;
}

void TestDlg::DoDataExchange(DataExchange &dx) {
  Dialog::DoDataExchange(dx);
  dx.control(IDC_LABEL, label);
  dx.control(IDC_EDIT, edit);
  dx.control(IDC_COMBO, combo);
  dx.control(IDC_BROWSE, browse);
  dx.control(IDC_START, start);
  dx.control(IDC_PROGRESS, progress);
  dx.control(IDC_PICTURE, picture);
  dx.control(IDC_NOTE, note);
  dx.control(IDC_DESKTOP, desktop);
  dx.text(IDC_EDIT, name);
  if (bindMissing) {
    static StaticCtl nowhere;
    dx.control(IDC_MISSING, nowhere);
  }
}

void TestDlg::OnOK() {
  ++okCalls;
  Dialog::OnOK();
}

void TestDlg::OnCancel() {
  ++cancelCalls;
  if (onCancel) {
    onCancel(*this);
  } else {
    Dialog::OnCancel();
  }
}

void TestDlg::OnBrowse() { ++browseClicks; }

void TestDlg::OnStart() {
  if (onStart) onStart(*this);
}

void TestDlg::OnChangeEdit() {
  ++editChanges;
  editTextAtChange = edit.GetWindowText();
}

void TestDlg::OnSelchangeCombo() {
  ++comboChanges;
  comboTextAtChange = combo.GetLBText(combo.GetCurSel());
}

void TestDlg::OnPaint() {
  ++paints;
  Dialog::OnPaint();
}

HCURSOR TestDlg::OnQueryDragIcon() { return static_cast<HCURSOR>(dragIcon); }

HBRUSH TestDlg::OnCtlColor(HDC dc, HWND control, UINT controlType) {
  lastCtlColorType = controlType;
  lastCtlColorControl = control;
  HBRUSH brush = Dialog::OnCtlColor(dc, control, controlType);
  if (control == label.hwnd()) {
    SetTextColor(dc, RGB(255, 0, 0));
    if (labelBrush != nullptr) return labelBrush;
  }
  return brush;
}
