// The installer's entry.
#include <windows.h>

#include "app/inst_app.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  // Asking about a drive without a medium (a disc drive, a floppy) must fail quietly, not ask the user.
  SetErrorMode(SEM_FAILCRITICALERRORS);
  CInstApp app;
  return app.Run(instance);
}
