#pragma once
// Finding the installer's windows from outside its process, and reading what they show.
#include <windows.h>

#include <string>
#include <vector>

struct WindowInfo {
  HWND hwnd = nullptr;
  std::wstring caption;
  std::wstring className;
  DWORD process = 0;
};

// The visible top-level windows of the desktop, in z order.
std::vector<WindowInfo> VisibleTopLevelWindows();

// The text of any window or control (WM_GETTEXT, so that edits of other processes answer too).
bool ReadWindowText(HWND hwnd, std::wstring &text);
std::wstring ClassOf(HWND hwnd);

// A system message box: a dialog that holds the box's text static (id 0xFFFF) and no edit.
bool IsMessageBox(HWND hwnd);
std::wstring MessageBoxText(HWND hwnd);

// Every visible top-level window with its caption and class, and a message box's text: the
// picture of the screen that a failure report shows.
std::wstring DescribeScreen();
