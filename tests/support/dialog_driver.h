#pragma once
// Drives modal dialogs from a second thread, as a user would, while the test's thread runs them.
//
//   Responder user;                        // message boxes never become windows
//   CShortcutDlg dlg;
//   INT_PTR result = driver::RunModal([&] { return dlg.DoModal(); }, [] {
//     HWND d = driver::WaitForDialog("ショートカットの作成");
//     if (!d) return;
//     driver::SetItemText(d, 1020, "Maker\\Game");   // raises EN_CHANGE
//     driver::Click(d, IDOK);
//   });
//
// Texts are cp932 bytes (the source's own literals). Every helper accepts a null dialog and then
// does nothing, so a script goes on harmlessly after a failed wait. A missing control, a click on
// a hidden or disabled button, a wait that times out: each fails the test with a clear message.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace driver {

constexpr DWORD kDefaultWaitMs = 10000;

// Runs modal on this thread (it must run the dialog, e.g. DoModal) and script on a driver thread,
// and returns modal's result. When the dialog is still running closeTimeoutMs after the script
// has returned, the test fails and the modal loop is broken off (WM_QUIT to this thread).
INT_PTR RunModal(const std::function<INT_PTR()> &modal, const std::function<void()> &script,
                 DWORD closeTimeoutMs = kDefaultWaitMs);

// Waits for a visible top-level dialog (class "#32770") of this process whose caption equals
// caption (an empty caption matches any dialog) and that is not `except`. Fails the test and
// returns nullptr after timeoutMs.
HWND WaitForDialog(const std::string &caption, DWORD timeoutMs = kDefaultWaitMs,
                   HWND except = nullptr);
// Waits until the window no longer exists; fails the test after timeoutMs.
bool WaitForClose(HWND window, DWORD timeoutMs = kDefaultWaitMs);
// Polls condition every 10 ms; false after timeoutMs (no failure is recorded: the caller asserts).
bool WaitUntil(const std::function<bool()> &condition, DWORD timeoutMs = kDefaultWaitMs);

// The control with id in dialog; fails the test when there is none.
HWND Item(HWND dialog, int id);
// WM_SETTEXT (an edit control notifies EN_CHANGE to its dialog); returns after the handlers ran.
void SetItemText(HWND dialog, int id, const std::string &text);
std::string ItemText(HWND dialog, int id);      // cp932 bytes
std::wstring ItemTextW(HWND dialog, int id);    // as UTF-16, as the window holds it
std::string WindowText(HWND window);            // caption of any window, cp932 bytes

// Selects the item (exact text, or index) and notifies the dialog with CBN_SELCHANGE as a user's
// choice would; returns after the handlers ran. Fails the test when there is no such item.
bool SelectComboText(HWND dialog, int id, const std::string &text);
bool SelectComboIndex(HWND dialog, int id, int index);
int ComboSelection(HWND dialog, int id);        // CB_GETCURSEL
std::vector<std::string> ComboItems(HWND dialog, int id);

// Clicks a visible, enabled button (BM_CLICK). Click returns after the handlers ran; PostClick
// returns at once, for handlers that open further dialogs or run long loops.
void Click(HWND dialog, int id);
void PostClick(HWND dialog, int id);
// Presses Esc in the dialog (the dialog manager turns it into IDCANCEL); returns at once.
void PressEscape(HWND dialog);
// Presses Enter in the dialog (the default button's command); returns at once.
void PressEnter(HWND dialog);

bool IsItemVisible(HWND dialog, int id);
bool IsItemEnabled(HWND dialog, int id);
int CheckState(HWND dialog, int id);            // BM_GETCHECK

}  // namespace driver
