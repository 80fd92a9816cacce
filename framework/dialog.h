#pragma once
// Modal dialogs built on the system's dialog manager.
//
//   class CShortcutDlg : public Dialog {
//    public:
//     CShortcutDlg() : Dialog(146) {}
//    protected:
//     bool OnInitDialog() override;                 // call Dialog::OnInitDialog() first
//     void DoDataExchange(DataExchange &dx) override { dx.control(1020, groupEdit_); }
//     void OnOK() override;
//    private:
//     EditCtl groupEdit_;
//     void OnChangeProgramGroup();
//     DECLARE_MESSAGE_MAP()
//   };
//   BEGIN_MESSAGE_MAP(CShortcutDlg, Dialog)
//     ON_EN_CHANGE(1020, OnChangeProgramGroup)
//   END_MESSAGE_MAP()
//
// Messages go to the class's message map (message_map.h). WM_COMMAND with IDOK or IDCANCEL
// (Enter, Esc, the close box, the buttons of those ids) that no map entry handles calls OnOK or
// OnCancel.
#include <windows.h>

#include "framework/controls.h"
#include "framework/message_map.h"

#include <string>
#include <vector>

class Dialog;

// Moves data between a dialog's controls and its members; handed to DoDataExchange.
class DataExchange {
 public:
  DataExchange(Dialog &dialog, bool saving);
  virtual ~DataExchange() = default;

  // true: controls to members (UpdateData(true)); false: members to controls.
  bool saving() const { return saving_; }
  // Binds the control object to the dialog's control id (both directions). A missing id leaves
  // the object unbound and marks the exchange failed.
  void control(int id, Control &object);
  // The text of control id to or from value (cp932 bytes).
  void text(int id, std::string &value);
  bool failed() const { return failed_; }

 private:
  Dialog &dialog_;
  bool saving_;
  bool failed_ = false;
};

class Dialog {
 public:
  // templateId: the dialog resource in AppInstance(). parent: the owner window, or none.
  explicit Dialog(UINT templateId, HWND parent = nullptr);
  Dialog(UINT templateId, Dialog *parent);
  virtual ~Dialog();
  Dialog(const Dialog &) = delete;
  Dialog &operator=(const Dialog &) = delete;

  // Creates the dialog and runs it until EndDialog; returns EndDialog's result, or -1 when the
  // dialog could not be created.
  INT_PTR DoModal();

  // Ends the modal run with result (also from OnInitDialog: the dialog then never shows).
  void EndDialog(INT_PTR result);

  // The dialog window while the dialog runs, else nullptr.
  HWND hwnd() const { return hwnd_; }
  UINT templateId() const { return templateId_; }

  // Moves data between controls and members through DoDataExchange; false when a binding failed.
  bool UpdateData(bool saveAndValidate = true);

  // A message box owned by the dialog (through ShowPrompt).
  int MessageBox(LPCSTR text, LPCSTR caption = nullptr, UINT flags = MB_OK);

  HWND GetDlgItem(int id) const;
  void SetWindowText(const char *text);
  std::string GetWindowText() const;
  void SetDlgItemText(int id, const char *text);
  std::string GetDlgItemText(int id) const;
  void ShowWindow(int command);
  void EnableWindow(bool enable);
  bool IsIconic() const;
  void GetClientRect(RECT *rect) const;
  void CheckRadioButton(int firstId, int lastId, int checkId);
  // The id of the checked button among firstId..lastId, 0 when none.
  int GetCheckedRadioButton(int firstId, int lastId) const;
  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  LRESULT SendDlgItemMessage(int id, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
  void SetIcon(HICON icon, bool big);  // WM_SETICON with ICON_BIG or ICON_SMALL

 protected:
  // Called when the window exists, before it shows. The base binds the controls (UpdateData(false))
  // and returns true (the system then sets the focus).
  virtual bool OnInitDialog();
  virtual void DoDataExchange(DataExchange &dx);
  // The base takes the controls' data (UpdateData(true)) and, when that succeeded, ends with IDOK.
  virtual void OnOK();
  // The base ends with IDCANCEL.
  virtual void OnCancel();

  // Default handlers that a derived class's map handler may fall back on.
  void OnPaint();  // paints nothing of its own: validates the window as the system would
  HBRUSH OnCtlColor(HDC dc, HWND control, UINT controlType);  // the system's colours and brush

  static const MessageMap *ThisMessageMap();
  virtual const MessageMap *messageMap() const;

 private:
  friend class DataExchange;
  static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  INT_PTR handleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void bindControl(Control &object);
  void unbindControls();

  UINT templateId_;
  HWND parentWindow_ = nullptr;
  Dialog *parentDialog_ = nullptr;
  HWND hwnd_ = nullptr;
  std::vector<Control *> bound_;
};
