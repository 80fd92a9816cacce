#pragma once
// Thin wrappers around the child windows of a dialog. A control object does not own its window:
// the dialog binds it in DoDataExchange and the window belongs to the dialog. While unbound (before
// the dialog runs, after it has ended) every operation is harmless and answers 0, empty or false.
#include <windows.h>
#include <commctrl.h>

#include <string>

class Control {
 public:
  Control() = default;
  virtual ~Control() = default;
  Control(const Control &) = delete;
  Control &operator=(const Control &) = delete;

  void Attach(HWND window) { hwnd_ = window; }
  HWND Detach();
  HWND hwnd() const { return hwnd_; }
  bool IsAttached() const { return hwnd_ != nullptr; }
  int GetDlgCtrlID() const;

  // Text of the window (cp932 bytes).
  void SetWindowText(const char *text);
  std::string GetWindowText() const;
  // Copies at most size-1 bytes and a terminating zero into buffer; returns the bytes copied.
  int GetWindowText(char *buffer, int size) const;
  int GetWindowTextLength() const;

  void ShowWindow(int command);  // SW_SHOW, SW_HIDE, ...
  bool IsWindowVisible() const;
  void EnableWindow(bool enable);
  bool IsWindowEnabled() const;
  void SetFocus();

  LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

 private:
  HWND hwnd_ = nullptr;
};

class StaticCtl : public Control {
 public:
  // STM_SETIMAGE with IMAGE_BITMAP; returns the bitmap shown before. The caller keeps ownership.
  HBITMAP SetBitmap(HBITMAP bitmap);
  HBITMAP GetBitmap() const;
  // STM_SETIMAGE with IMAGE_ICON; returns the icon shown before.
  HICON SetIcon(HICON icon);
};

class EditCtl : public Control {
 public:
  void SetReadOnly(bool readOnly);
  bool IsReadOnly() const;
  void SetSel(int start, int end);
  void ReplaceSel(const char *text);
  void LimitText(int maxChars);
  int GetLineCount() const;
};

class ButtonCtl : public Control {
 public:
  int GetCheck() const;  // BST_UNCHECKED, BST_CHECKED, BST_INDETERMINATE
  void SetCheck(int state);
};

class ComboBoxCtl : public Control {
 public:
  // Results are those of the messages: an index, or CB_ERR / CB_ERRSPACE.
  int AddString(const char *text);
  int InsertString(int index, const char *text);
  int DeleteString(int index);
  void ResetContent();
  int GetCount() const;
  int GetCurSel() const;
  int SetCurSel(int index);  // -1 clears the selection
  int FindStringExact(int startAfter, const char *text) const;  // startAfter -1: from the top
  int SelectString(int startAfter, const char *text);
  int GetLBTextLen(int index) const;
  // Item text into buffer of size bytes, cut to fit and always terminated; returns the length
  // copied, or CB_ERR when index is not an item (buffer then holds an empty text).
  int GetLBText(int index, char *buffer, int size) const;
  // Item text; empty when index is not an item.
  std::string GetLBText(int index) const;
};

class ProgressCtl : public Control {
 public:
  void SetRange(int lower, int upper);  // PBM_SETRANGE32
  int SetPos(int position);             // returns the previous position
  int GetPos() const;
};
