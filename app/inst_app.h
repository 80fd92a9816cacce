#pragma once
// The installer's application object: runs the main dialog once, then the program ends.
#include "framework/win_app.h"

class CInstApp : public WinApp {
 public:
  CInstApp() = default;
  ~CInstApp() override = default;

  // Runs the main dialog modally; false, so that the application ends with it.
  bool InitInstance() override;
};
