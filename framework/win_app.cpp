#include "framework/win_app.h"

#include <commctrl.h>
#include <stdlib.h>

namespace {
WinApp *g_app = nullptr;
int g_argc = 0;
char **g_argv = nullptr;
}  // namespace

WinApp::WinApp() { g_app = this; }

WinApp::~WinApp() {
  if (g_app == this) g_app = nullptr;
}

WinApp *WinApp::current() { return g_app; }

void EnsureCommonControls() {
  static const bool initialised = [] {
    INITCOMMONCONTROLSEX controls = {};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_STANDARD_CLASSES | ICC_PROGRESS_CLASS | ICC_WIN95_CLASSES;
    return InitCommonControlsEx(&controls) != FALSE;
  }();
  (void)initialised;
}

int WinApp::Run(HINSTANCE instance) {
  EnsureCommonControls();
  instance_ = instance;
  return InitInstance() ? 1 : 0;
}

HINSTANCE AppInstance() {
  if (g_app != nullptr && g_app->instance() != nullptr) return g_app->instance();
  return GetModuleHandleA(nullptr);
}

int AppArgCount() { return g_argv != nullptr ? g_argc : __argc; }

char **AppArgs() { return g_argv != nullptr ? g_argv : __argv; }

void SetAppArgs(int argc, char **argv) {
  g_argc = argv != nullptr ? argc : 0;
  g_argv = argv;
}
