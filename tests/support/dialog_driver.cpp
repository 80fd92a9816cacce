#include "tests/support/dialog_driver.h"

#include "tests/support/responder.h"

#include "gtest/gtest.h"

#include <thread>

namespace driver {
namespace {

std::string describe(HWND dialog) { return "\"" + Utf8FromCp932(WindowText(dialog)) + "\""; }

struct Search {
  std::string caption;
  HWND except;
  HWND found;
};

BOOL CALLBACK matchDialog(HWND window, LPARAM param) {
  Search &search = *reinterpret_cast<Search *>(param);
  DWORD process = 0;
  GetWindowThreadProcessId(window, &process);
  if (process != GetCurrentProcessId() || window == search.except || !IsWindowVisible(window)) return TRUE;
  char className[16] = {};
  GetClassNameA(window, className, sizeof(className));
  if (lstrcmpA(className, "#32770") != 0) return TRUE;
  if (!search.caption.empty() && WindowText(window) != search.caption) return TRUE;
  search.found = window;
  return FALSE;
}

// The control a user would act on: present, visible and enabled; fails the test otherwise.
HWND usable(HWND dialog, int id, const char *action) {
  HWND item = Item(dialog, id);
  if (item == nullptr) return nullptr;
  if (!IsWindowVisible(item)) {
    ADD_FAILURE() << "cannot " << action << " control " << id << " of dialog " << describe(dialog)
                  << ": it is hidden";
    return nullptr;
  }
  if (!IsWindowEnabled(item)) {
    ADD_FAILURE() << "cannot " << action << " control " << id << " of dialog " << describe(dialog)
                  << ": it is disabled";
    return nullptr;
  }
  return item;
}

void postKey(HWND dialog, WPARAM key) {
  if (dialog == nullptr) return;
  // The key goes where the keyboard focus is, as a real key press would.
  GUITHREADINFO info = {};
  info.cbSize = sizeof(info);
  HWND target = dialog;
  DWORD thread = GetWindowThreadProcessId(dialog, nullptr);
  if (GetGUIThreadInfo(thread, &info) && info.hwndFocus != nullptr &&
      (info.hwndFocus == dialog || IsChild(dialog, info.hwndFocus))) {
    target = info.hwndFocus;
  }
  PostMessageA(target, WM_KEYDOWN, key, 1);
  PostMessageA(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
}

bool selectIndex(HWND dialog, HWND combo, int id, int index) {
  if (SendMessageA(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0) == CB_ERR) {
    ADD_FAILURE() << "combo box " << id << " of dialog " << describe(dialog) << " has no item " << index;
    return false;
  }
  SendMessageA(dialog, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
  return true;
}

}  // namespace

INT_PTR RunModal(const std::function<INT_PTR()> &modal, const std::function<void()> &script,
                 DWORD closeTimeoutMs) {
  const DWORD modalThread = GetCurrentThreadId();
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  std::thread driverThread([&] {
    script();
    if (WaitForSingleObject(done, closeTimeoutMs) == WAIT_TIMEOUT) {
      ADD_FAILURE() << "the dialog was still running " << closeTimeoutMs
                    << " ms after the driver's script ended; breaking off its modal loop";
      // Every modal loop ends on a quit message; nested ones may need more than one.
      do {
        PostThreadMessageA(modalThread, WM_QUIT, 0, 0);
      } while (WaitForSingleObject(done, 100) == WAIT_TIMEOUT);
    }
  });
  INT_PTR result = modal();
  SetEvent(done);
  driverThread.join();
  CloseHandle(done);
  MSG msg;
  while (PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
  return result;
}

HWND WaitForDialog(const std::string &caption, DWORD timeoutMs, HWND except) {
  const DWORD start = GetTickCount();
  for (;;) {
    Search search{caption, except, nullptr};
    EnumWindows(&matchDialog, reinterpret_cast<LPARAM>(&search));
    if (search.found != nullptr) return search.found;
    if (GetTickCount() - start >= timeoutMs) break;
    Sleep(10);
  }
  if (caption.empty()) {
    ADD_FAILURE() << "no dialog appeared within " << timeoutMs << " ms";
  } else {
    ADD_FAILURE() << "no dialog \"" << Utf8FromCp932(caption) << "\" appeared within " << timeoutMs << " ms";
  }
  return nullptr;
}

bool WaitForClose(HWND window, DWORD timeoutMs) {
  if (window == nullptr) return false;
  if (WaitUntil([window] { return !IsWindow(window); }, timeoutMs)) return true;
  ADD_FAILURE() << "dialog " << describe(window) << " was still open after " << timeoutMs << " ms";
  return false;
}

bool WaitUntil(const std::function<bool()> &condition, DWORD timeoutMs) {
  const DWORD start = GetTickCount();
  for (;;) {
    if (condition()) return true;
    if (GetTickCount() - start >= timeoutMs) return false;
    Sleep(10);
  }
}

HWND Item(HWND dialog, int id) {
  if (dialog == nullptr) return nullptr;
  HWND item = GetDlgItem(dialog, id);
  if (item == nullptr) ADD_FAILURE() << "dialog " << describe(dialog) << " has no control " << id;
  return item;
}

void SetItemText(HWND dialog, int id, const std::string &text) {
  HWND item = usable(dialog, id, "type into");
  if (item != nullptr) SendMessageA(item, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
}

std::string WindowText(HWND window) {
  if (window == nullptr) return std::string();
  int length = static_cast<int>(SendMessageA(window, WM_GETTEXTLENGTH, 0, 0));
  if (length <= 0) return std::string();
  std::string text(static_cast<size_t>(length) + 1, '\0');
  int copied = static_cast<int>(SendMessageA(window, WM_GETTEXT, static_cast<WPARAM>(length + 1),
                                             reinterpret_cast<LPARAM>(&text[0])));
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

std::string ItemText(HWND dialog, int id) { return WindowText(Item(dialog, id)); }

std::wstring ItemTextW(HWND dialog, int id) {
  HWND item = Item(dialog, id);
  if (item == nullptr) return std::wstring();
  int length = static_cast<int>(SendMessageW(item, WM_GETTEXTLENGTH, 0, 0));
  if (length <= 0) return std::wstring();
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  int copied = static_cast<int>(SendMessageW(item, WM_GETTEXT, static_cast<WPARAM>(length + 1),
                                             reinterpret_cast<LPARAM>(&text[0])));
  text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
  return text;
}

bool SelectComboText(HWND dialog, int id, const std::string &text) {
  HWND combo = usable(dialog, id, "select in");
  if (combo == nullptr) return false;
  LRESULT index = SendMessageA(combo, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                               reinterpret_cast<LPARAM>(text.c_str()));
  if (index == CB_ERR) {
    ADD_FAILURE() << "combo box " << id << " of dialog " << describe(dialog) << " has no item \""
                  << Utf8FromCp932(text) << "\"";
    return false;
  }
  return selectIndex(dialog, combo, id, static_cast<int>(index));
}

bool SelectComboIndex(HWND dialog, int id, int index) {
  HWND combo = usable(dialog, id, "select in");
  if (combo == nullptr) return false;
  if (index < 0) {
    ADD_FAILURE() << "combo box " << id << ": item index " << index << " is negative";
    return false;
  }
  return selectIndex(dialog, combo, id, index);
}

int ComboSelection(HWND dialog, int id) {
  HWND combo = Item(dialog, id);
  return combo != nullptr ? static_cast<int>(SendMessageA(combo, CB_GETCURSEL, 0, 0)) : CB_ERR;
}

std::vector<std::string> ComboItems(HWND dialog, int id) {
  std::vector<std::string> items;
  HWND combo = Item(dialog, id);
  if (combo == nullptr) return items;
  int count = static_cast<int>(SendMessageA(combo, CB_GETCOUNT, 0, 0));
  for (int i = 0; i < count; ++i) {
    int length = static_cast<int>(SendMessageA(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0));
    if (length < 0) length = 0;
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int copied = static_cast<int>(
        SendMessageA(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(&text[0])));
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    items.push_back(text);
  }
  return items;
}

void Click(HWND dialog, int id) {
  HWND button = usable(dialog, id, "click");
  if (button != nullptr) SendMessageA(button, BM_CLICK, 0, 0);
}

void PostClick(HWND dialog, int id) {
  HWND button = usable(dialog, id, "click");
  if (button != nullptr) PostMessageA(button, BM_CLICK, 0, 0);
}

void PressEscape(HWND dialog) { postKey(dialog, VK_ESCAPE); }

void PressEnter(HWND dialog) { postKey(dialog, VK_RETURN); }

bool IsItemVisible(HWND dialog, int id) {
  HWND item = Item(dialog, id);
  return item != nullptr && IsWindowVisible(item);
}

bool IsItemEnabled(HWND dialog, int id) {
  HWND item = Item(dialog, id);
  return item != nullptr && IsWindowEnabled(item);
}

int CheckState(HWND dialog, int id) {
  HWND item = Item(dialog, id);
  return item != nullptr ? static_cast<int>(SendMessageA(item, BM_GETCHECK, 0, 0)) : BST_UNCHECKED;
}

}  // namespace driver
