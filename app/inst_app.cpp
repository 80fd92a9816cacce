#include "app/inst_app.h"

#include "app/inst_dlg.h"

bool CInstApp::InitInstance() {
  CInstDlg dialog;
  setMainWindow(&dialog);
  dialog.DoModal();
  setMainWindow(nullptr);
  return false;
}
