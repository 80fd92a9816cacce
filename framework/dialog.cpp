#include "framework/dialog.h"

#include <cstring>

#include "framework/prompt.h"
#include "framework/win_app.h"

#include <algorithm>

DataExchange::DataExchange(Dialog &dialog, bool saving) : dialog_(dialog), saving_(saving) {}

void DataExchange::control(int id, Control &object) {
  HWND window = dialog_.GetDlgItem(id);
  if (window == nullptr) {
    failed_ = true;
    return;
  }
  object.Attach(window);
  dialog_.bindControl(object);
}

void DataExchange::text(int id, std::string &value) {
  if (dialog_.GetDlgItem(id) == nullptr) {
    failed_ = true;
    return;
  }
  if (saving_) {
    value = dialog_.GetDlgItemText(id);
  } else {
    dialog_.SetDlgItemText(id, value.c_str());
  }
}

Dialog::Dialog(UINT templateId, HWND parent) : templateId_(templateId), parentWindow_(parent) {}

Dialog::Dialog(UINT templateId, Dialog *parent) : templateId_(templateId), parentDialog_(parent) {}

// The window, if any, has gone by now (WM_NCDESTROY unbinds the controls); the control members of a
// derived class are already destroyed here, so they are not touched.
Dialog::~Dialog() = default;

namespace {

// A copy of the dialog template without WS_VISIBLE. The dialog manager then shows the dialog when its
// modal loop first waits, and never when OnInitDialog has already ended it: a dialog that ends at
// once (a second instance, a launch instead of an installation) does not flash on the screen.
bool LoadHiddenTemplate(UINT id, std::vector<DWORD> &copy) {
  HMODULE module = AppInstance();
  HRSRC resource = FindResourceA(module, MAKEINTRESOURCEA(id), reinterpret_cast<LPCSTR>(RT_DIALOG));
  if (resource == nullptr) return false;
  HGLOBAL loaded = LoadResource(module, resource);
  const void *bytes = loaded != nullptr ? LockResource(loaded) : nullptr;
  const DWORD size = SizeofResource(module, resource);
  if (bytes == nullptr || size < sizeof(DLGTEMPLATE)) return false;
  copy.assign((size + sizeof(DWORD) - 1) / sizeof(DWORD), 0);  // DWORD-aligned, as the template must be
  std::memcpy(copy.data(), bytes, size);
  // An extended template starts with version 1 and signature 0xFFFF; its style follows help id and
  // extended style.
  const WORD *words = reinterpret_cast<const WORD *>(copy.data());
  const bool extended = words[0] == 1 && words[1] == 0xFFFF;
  DWORD *style = extended ? &copy[3] : &copy[0];
  *style &= ~static_cast<DWORD>(WS_VISIBLE);
  return true;
}

}  // namespace

INT_PTR Dialog::DoModal() {
  // A dialog may run before (or without) the application object, as in tests: its template's
  // progress bar needs the common controls all the same.
  EnsureCommonControls();
  HWND owner = parentDialog_ != nullptr ? parentDialog_->hwnd() : parentWindow_;
  std::vector<DWORD> dialogTemplate;
  if (!LoadHiddenTemplate(templateId_, dialogTemplate)) return -1;
  return DialogBoxIndirectParamA(AppInstance(), reinterpret_cast<LPCDLGTEMPLATEA>(dialogTemplate.data()), owner,
                                 &Dialog::DialogProc, reinterpret_cast<LPARAM>(this));
}

void Dialog::EndDialog(INT_PTR result) {
  if (hwnd_ != nullptr) ::EndDialog(hwnd_, result);
}

bool Dialog::UpdateData(bool saveAndValidate) {
  if (hwnd_ == nullptr) return false;
  DataExchange dx(*this, saveAndValidate);
  DoDataExchange(dx);
  return !dx.failed();
}

int Dialog::MessageBox(LPCSTR text, LPCSTR caption, UINT flags) {
  return ShowPrompt(hwnd_, text, caption, flags);
}

HWND Dialog::GetDlgItem(int id) const { return hwnd_ != nullptr ? ::GetDlgItem(hwnd_, id) : nullptr; }

void Dialog::SetWindowText(const char *text) {
  if (hwnd_ != nullptr) ::SetWindowTextA(hwnd_, text != nullptr ? text : "");
}

namespace {
std::string windowText(HWND window) {
  if (window == nullptr) return std::string();
  int length = ::GetWindowTextLengthA(window);
  if (length <= 0) return std::string();
  std::string text(static_cast<size_t>(length) + 1, '\0');
  int copied = ::GetWindowTextA(window, &text[0], length + 1);
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}
}  // namespace

std::string Dialog::GetWindowText() const { return windowText(hwnd_); }

void Dialog::SetDlgItemText(int id, const char *text) {
  HWND item = GetDlgItem(id);
  if (item != nullptr) ::SetWindowTextA(item, text != nullptr ? text : "");
}

std::string Dialog::GetDlgItemText(int id) const { return windowText(GetDlgItem(id)); }

void Dialog::ShowWindow(int command) {
  if (hwnd_ != nullptr) ::ShowWindow(hwnd_, command);
}

void Dialog::EnableWindow(bool enable) {
  if (hwnd_ != nullptr) ::EnableWindow(hwnd_, enable ? TRUE : FALSE);
}

bool Dialog::IsIconic() const { return hwnd_ != nullptr && ::IsIconic(hwnd_); }

void Dialog::GetClientRect(RECT *rect) const {
  if (rect == nullptr) return;
  if (hwnd_ == nullptr || !::GetClientRect(hwnd_, rect)) SetRectEmpty(rect);
}

void Dialog::CheckRadioButton(int firstId, int lastId, int checkId) {
  if (hwnd_ != nullptr) ::CheckRadioButton(hwnd_, firstId, lastId, checkId);
}

int Dialog::GetCheckedRadioButton(int firstId, int lastId) const {
  if (hwnd_ == nullptr) return 0;
  for (int id = firstId; id <= lastId; ++id) {
    if (::IsDlgButtonChecked(hwnd_, id) == BST_CHECKED) return id;
  }
  return 0;
}

LRESULT Dialog::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  return hwnd_ != nullptr ? ::SendMessageA(hwnd_, message, wParam, lParam) : 0;
}

LRESULT Dialog::SendDlgItemMessage(int id, UINT message, WPARAM wParam, LPARAM lParam) const {
  HWND item = GetDlgItem(id);
  return item != nullptr ? ::SendMessageA(item, message, wParam, lParam) : 0;
}

void Dialog::SetIcon(HICON icon, bool big) {
  SendMessage(WM_SETICON, big ? ICON_BIG : ICON_SMALL, reinterpret_cast<LPARAM>(icon));
}

bool Dialog::OnInitDialog() {
  UpdateData(false);
  return true;
}

void Dialog::DoDataExchange(DataExchange &) {}

void Dialog::OnOK() {
  if (!UpdateData(true)) return;
  EndDialog(IDOK);
}

void Dialog::OnCancel() { EndDialog(IDCANCEL); }

void Dialog::OnPaint() {
  if (hwnd_ == nullptr) return;
  PAINTSTRUCT paint;
  if (BeginPaint(hwnd_, &paint) != nullptr) EndPaint(hwnd_, &paint);
}

HBRUSH Dialog::OnCtlColor(HDC dc, HWND control, UINT controlType) {
  if (hwnd_ == nullptr) return nullptr;
  return reinterpret_cast<HBRUSH>(DefWindowProcA(hwnd_, WM_CTLCOLORMSGBOX + controlType,
                                                 reinterpret_cast<WPARAM>(dc),
                                                 reinterpret_cast<LPARAM>(control)));
}

const MessageMap *Dialog::ThisMessageMap() {
  static const MessageEntry entries[] = {{0, 0, 0, 0, nullptr}};
  static const MessageMap map = {nullptr, entries};
  return &map;
}

const MessageMap *Dialog::messageMap() const { return ThisMessageMap(); }

void Dialog::bindControl(Control &object) {
  if (std::find(bound_.begin(), bound_.end(), &object) == bound_.end()) bound_.push_back(&object);
}

void Dialog::unbindControls() {
  for (Control *object : bound_) object->Detach();
  bound_.clear();
}

namespace {

// Players expect a dialog in the middle of the screen, or of the window it belongs to, not where the
// template's origin happens to put it; kept inside the work area so that no edge is lost.
void CenterOverOwner(HWND window) {
  RECT area = {};
  if (!SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0)) return;
  RECT around = area;
  HWND owner = GetWindow(window, GW_OWNER);
  if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &around);
  RECT own = {};
  if (!GetWindowRect(window, &own)) return;
  const LONG width = own.right - own.left;
  const LONG height = own.bottom - own.top;
  LONG x = around.left + (around.right - around.left - width) / 2;
  LONG y = around.top + (around.bottom - around.top - height) / 2;
  if (x + width > area.right) x = area.right - width;
  if (y + height > area.bottom) y = area.bottom - height;
  if (x < area.left) x = area.left;
  if (y < area.top) y = area.top;
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

INT_PTR CALLBACK Dialog::DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    Dialog *self = reinterpret_cast<Dialog *>(lParam);
    SetWindowLongPtrA(window, DWLP_USER, reinterpret_cast<LONG_PTR>(self));
    self->hwnd_ = window;
    CenterOverOwner(window);
    return self->OnInitDialog() ? TRUE : FALSE;
  }
  Dialog *self = reinterpret_cast<Dialog *>(GetWindowLongPtrA(window, DWLP_USER));
  if (self == nullptr) return FALSE;  // messages before WM_INITDIALOG (WM_SETFONT, ...)
  if (message == WM_NCDESTROY) {
    // The controls die with the window: leave every bound object harmlessly unbound.
    self->unbindControls();
    self->hwnd_ = nullptr;
    SetWindowLongPtrA(window, DWLP_USER, 0);
    return FALSE;
  }
  return self->handleMessage(message, wParam, lParam);
}

INT_PTR Dialog::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  const MessageArgs args = {message, wParam, lParam};
  const MessageMap *map = messageMap();
  const MessageEntry *entry = map != nullptr ? map->find(args) : nullptr;
  if (entry != nullptr) return entry->thunk(*this, args);
  if (message == WM_COMMAND && HIWORD(wParam) == BN_CLICKED) {
    if (LOWORD(wParam) == IDOK) {
      OnOK();
      return TRUE;
    }
    if (LOWORD(wParam) == IDCANCEL) {
      OnCancel();
      return TRUE;
    }
  }
  return FALSE;
}
