#include "framework/controls.h"

#include <vector>

HWND Control::Detach() {
  HWND window = hwnd_;
  hwnd_ = nullptr;
  return window;
}

int Control::GetDlgCtrlID() const { return hwnd_ != nullptr ? ::GetDlgCtrlID(hwnd_) : 0; }

void Control::SetWindowText(const char *text) {
  if (hwnd_ != nullptr) ::SetWindowTextA(hwnd_, text != nullptr ? text : "");
}

std::string Control::GetWindowText() const {
  if (hwnd_ == nullptr) return std::string();
  int length = ::GetWindowTextLengthA(hwnd_);
  if (length <= 0) return std::string();
  std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
  int copied = ::GetWindowTextA(hwnd_, buffer.data(), length + 1);
  return std::string(buffer.data(), copied > 0 ? static_cast<size_t>(copied) : 0);
}

int Control::GetWindowText(char *buffer, int size) const {
  if (buffer == nullptr || size <= 0) return 0;
  buffer[0] = '\0';
  if (hwnd_ == nullptr) return 0;
  return ::GetWindowTextA(hwnd_, buffer, size);
}

int Control::GetWindowTextLength() const { return hwnd_ != nullptr ? ::GetWindowTextLengthA(hwnd_) : 0; }

void Control::ShowWindow(int command) {
  if (hwnd_ != nullptr) ::ShowWindow(hwnd_, command);
}

bool Control::IsWindowVisible() const { return hwnd_ != nullptr && ::IsWindowVisible(hwnd_); }

void Control::EnableWindow(bool enable) {
  if (hwnd_ != nullptr) ::EnableWindow(hwnd_, enable ? TRUE : FALSE);
}

bool Control::IsWindowEnabled() const { return hwnd_ != nullptr && ::IsWindowEnabled(hwnd_); }

void Control::SetFocus() {
  if (hwnd_ != nullptr) ::SetFocus(hwnd_);
}

LRESULT Control::SendMessage(UINT message, WPARAM wParam, LPARAM lParam) const {
  return hwnd_ != nullptr ? ::SendMessageA(hwnd_, message, wParam, lParam) : 0;
}

HBITMAP StaticCtl::SetBitmap(HBITMAP bitmap) {
  return reinterpret_cast<HBITMAP>(
      SendMessage(STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap)));
}

HBITMAP StaticCtl::GetBitmap() const {
  return reinterpret_cast<HBITMAP>(SendMessage(STM_GETIMAGE, IMAGE_BITMAP, 0));
}

HICON StaticCtl::SetIcon(HICON icon) {
  return reinterpret_cast<HICON>(SendMessage(STM_SETIMAGE, IMAGE_ICON, reinterpret_cast<LPARAM>(icon)));
}

void EditCtl::SetReadOnly(bool readOnly) { SendMessage(EM_SETREADONLY, readOnly ? TRUE : FALSE, 0); }

bool EditCtl::IsReadOnly() const {
  return hwnd() != nullptr && (GetWindowLongA(hwnd(), GWL_STYLE) & ES_READONLY) != 0;
}

void EditCtl::SetSel(int start, int end) {
  SendMessage(EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
}

void EditCtl::ReplaceSel(const char *text) {
  SendMessage(EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text != nullptr ? text : ""));
}

void EditCtl::LimitText(int maxChars) { SendMessage(EM_LIMITTEXT, static_cast<WPARAM>(maxChars), 0); }

int EditCtl::GetLineCount() const { return static_cast<int>(SendMessage(EM_GETLINECOUNT)); }

int ButtonCtl::GetCheck() const { return static_cast<int>(SendMessage(BM_GETCHECK)); }

void ButtonCtl::SetCheck(int state) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(state), 0); }

namespace {
int unboundIsError(const Control &control, LRESULT result) {
  return control.IsAttached() ? static_cast<int>(result) : CB_ERR;
}
}  // namespace

int ComboBoxCtl::AddString(const char *text) {
  return unboundIsError(*this, SendMessage(CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text != nullptr ? text : "")));
}

int ComboBoxCtl::InsertString(int index, const char *text) {
  return unboundIsError(*this, SendMessage(CB_INSERTSTRING, static_cast<WPARAM>(index),
                                           reinterpret_cast<LPARAM>(text != nullptr ? text : "")));
}

int ComboBoxCtl::DeleteString(int index) {
  return unboundIsError(*this, SendMessage(CB_DELETESTRING, static_cast<WPARAM>(index), 0));
}

void ComboBoxCtl::ResetContent() { SendMessage(CB_RESETCONTENT); }

int ComboBoxCtl::GetCount() const { return static_cast<int>(SendMessage(CB_GETCOUNT)); }

int ComboBoxCtl::GetCurSel() const { return unboundIsError(*this, SendMessage(CB_GETCURSEL)); }

int ComboBoxCtl::SetCurSel(int index) {
  return unboundIsError(*this, SendMessage(CB_SETCURSEL, static_cast<WPARAM>(index), 0));
}

int ComboBoxCtl::FindStringExact(int startAfter, const char *text) const {
  return unboundIsError(*this, SendMessage(CB_FINDSTRINGEXACT, static_cast<WPARAM>(startAfter),
                                           reinterpret_cast<LPARAM>(text != nullptr ? text : "")));
}

int ComboBoxCtl::SelectString(int startAfter, const char *text) {
  return unboundIsError(*this, SendMessage(CB_SELECTSTRING, static_cast<WPARAM>(startAfter),
                                           reinterpret_cast<LPARAM>(text != nullptr ? text : "")));
}

int ComboBoxCtl::GetLBTextLen(int index) const {
  return unboundIsError(*this, SendMessage(CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0));
}

int ComboBoxCtl::GetLBText(int index, char *buffer, int size) const {
  if (buffer == nullptr || size <= 0) return CB_ERR;
  buffer[0] = '\0';
  int length = GetLBTextLen(index);
  if (length == CB_ERR || length < 0) return CB_ERR;
  // CB_GETLBTEXT has no buffer size: read into room of the item's own length, then cut to fit.
  std::vector<char> whole(static_cast<size_t>(length) + 1, '\0');
  int copied = static_cast<int>(SendMessage(CB_GETLBTEXT, static_cast<WPARAM>(index),
                                            reinterpret_cast<LPARAM>(whole.data())));
  if (copied == CB_ERR || copied < 0) return CB_ERR;
  if (copied > length) copied = length;
  if (copied > size - 1) {
    // Cut on a character boundary: never keep the lead byte of a double-byte character alone.
    int end = 0;
    for (int i = 0; i < size - 1;) {
      int step = IsDBCSLeadByte(static_cast<BYTE>(whole[static_cast<size_t>(i)])) ? 2 : 1;
      if (i + step > size - 1) break;
      i += step;
      end = i;
    }
    copied = end;
  }
  for (int i = 0; i < copied; ++i) buffer[i] = whole[static_cast<size_t>(i)];
  buffer[copied] = '\0';
  return copied;
}

std::string ComboBoxCtl::GetLBText(int index) const {
  int length = GetLBTextLen(index);
  if (length == CB_ERR || length < 0) return std::string();
  std::vector<char> buffer(static_cast<size_t>(length) + 1, '\0');
  int copied = GetLBText(index, buffer.data(), length + 1);
  return copied > 0 ? std::string(buffer.data(), static_cast<size_t>(copied)) : std::string();
}

void ProgressCtl::SetRange(int lower, int upper) {
  SendMessage(PBM_SETRANGE32, static_cast<WPARAM>(lower), static_cast<LPARAM>(upper));
}

int ProgressCtl::SetPos(int position) { return static_cast<int>(SendMessage(PBM_SETPOS, static_cast<WPARAM>(position), 0)); }

int ProgressCtl::GetPos() const { return static_cast<int>(SendMessage(PBM_GETPOS)); }
