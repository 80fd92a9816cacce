#pragma once
// The application object: the one per process that the program's entry creates and runs.
//
//   int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
//     CInstApp app;
//     return app.Run(instance);
//   }
#include <windows.h>

class Dialog;

class WinApp {
 public:
  WinApp();
  virtual ~WinApp();
  WinApp(const WinApp &) = delete;
  WinApp &operator=(const WinApp &) = delete;

  // Initialises the common controls, stores the instance handle and the command line, calls
  // InitInstance and returns its result (true 1, false 0) as the process exit code.
  int Run(HINSTANCE instance);

  // The program's work; called once by Run.
  virtual bool InitInstance() = 0;

  HINSTANCE instance() const { return instance_; }

  // The application's main window while it runs (informational; nothing is done with it).
  void setMainWindow(Dialog *dialog) { mainWindow_ = dialog; }
  Dialog *mainWindow() const { return mainWindow_; }

  // The application object of this process, or nullptr while none exists.
  static WinApp *current();

 private:
  HINSTANCE instance_ = nullptr;
  Dialog *mainWindow_ = nullptr;
};

// The module whose resources dialogs and icons are loaded from: the running application's instance,
// or the executable's own module when no application object runs (tests).
HINSTANCE AppInstance();

// Registers the common control classes (progress bar, ...) once per process; Run and DoModal call it.
void EnsureCommonControls();

// The process's command line as argument count and vector (argument 0 is the program).
// Taken from the C runtime (__argc/__argv) unless replaced by SetAppArgs.
int AppArgCount();
char **AppArgs();
// Replaces the command line that AppArgCount/AppArgs answer (the vector must outlive its use);
// argv nullptr restores the C runtime's.
void SetAppArgs(int argc, char **argv);
