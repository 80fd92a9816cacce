#include "tools/uidriver/windows_find.h"

#include "tools/uidriver/text.h"

namespace {

const int kMessageTextId = 0xFFFF;
const UINT kAnswerMs = 5000;  // a window that does not answer in this time counts as hung

BOOL CALLBACK collect(HWND hwnd, LPARAM param) {
  auto *list = reinterpret_cast<std::vector<WindowInfo> *>(param);
  if (!IsWindowVisible(hwnd)) return TRUE;
  WindowInfo info;
  info.hwnd = hwnd;
  wchar_t caption[1024] = {};
  GetWindowTextW(hwnd, caption, 1024);
  info.caption = caption;
  info.className = ClassOf(hwnd);
  GetWindowThreadProcessId(hwnd, &info.process);
  list->push_back(info);
  return TRUE;
}

}  // namespace

std::vector<WindowInfo> VisibleTopLevelWindows() {
  std::vector<WindowInfo> list;
  EnumWindows(collect, reinterpret_cast<LPARAM>(&list));
  return list;
}

bool ReadWindowText(HWND hwnd, std::wstring &text) {
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &length)) return false;
  std::wstring buffer(static_cast<size_t>(length) + 1, L'\0');
  DWORD_PTR got = 0;
  if (!SendMessageTimeoutW(hwnd, WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(&buffer[0]), SMTO_ABORTIFHUNG,
                           kAnswerMs, &got)) {
    return false;
  }
  buffer.resize(got < buffer.size() ? static_cast<size_t>(got) : buffer.size() - 1);
  text = buffer;
  return true;
}

std::wstring ClassOf(HWND hwnd) {
  wchar_t name[256] = {};
  GetClassNameW(hwnd, name, 256);
  return name;
}

bool IsMessageBox(HWND hwnd) {
  if (ClassOf(hwnd) != L"#32770") return false;
  HWND text = GetDlgItem(hwnd, kMessageTextId);
  return text && ClassOf(text) == L"Static" && !FindWindowExW(hwnd, nullptr, L"Edit", nullptr);
}

std::wstring MessageBoxText(HWND hwnd) {
  std::wstring text;
  ReadWindowText(GetDlgItem(hwnd, kMessageTextId), text);
  return text;
}

std::wstring DescribeScreen() {
  std::wstring out;
  for (const auto &w : VisibleTopLevelWindows()) {
    if (w.className == L"Shell_TrayWnd" || w.className == L"Progman") continue;
    out += L"    window 「" + w.caption + L"」 class " + w.className + L" process " + std::to_wstring(w.process);
    if (IsMessageBox(w.hwnd)) out += L" text 「" + Printable(MessageBoxText(w.hwnd)) + L"」";
    if (!IsWindowEnabled(w.hwnd)) out += L" (disabled)";
    out += L"\n";
  }
  if (out.empty()) out = L"    no window is shown\n";
  return out;
}
