// The copy driver: runs the prepared copy job from the dialog's thread, one window message and one job step
// per pass, with the progress bar, the percentage and the remaining time.
#include <windows.h>

#include <cstdio>
#include <string>

#include "app/inst_dlg.h"
#include "config/setup_log.h"
#include "framework/message_pump.h"

std::string CInstDlg::copyStatusText(double f, DWORD elapsedMs, int percent, int *bar) {
  if (bar != nullptr) *bar = -1;
  // Also false for an undefined fraction.
  if (!(f >= 0.01) || f > 1.0) return std::string();
  if (bar != nullptr) *bar = percent;

  const double elapsed = static_cast<double>(elapsedMs);
  const double remaining = elapsed / f - elapsed;
  long long remainingMs = remaining > 0.0 ? static_cast<long long>(remaining) : 0;

  char text[160];
  const double shown = f * 100.0;
  if (f < 0.1) {
    std::snprintf(text, sizeof(text), "コピー中...%3.1f%%", shown);
  } else if (f < 0.5) {
    std::snprintf(text, sizeof(text), "コピー中...%3.1f%%\n残り時間: 約%d分", shown,
                  static_cast<int>(remainingMs / 1000 / 60 + 1));
  } else {
    // Seconds in steps of ten while more than ten of them remain.
    if (remainingMs > 10000) remainingMs = remainingMs / 10000 * 10000;
    long long seconds = remainingMs / 1000;
    std::snprintf(text, sizeof(text), "コピー中...%3.1f%%\n残り時間: %d分%d秒", shown,
                  static_cast<int>(seconds / 60), static_cast<int>(seconds % 60));
  }
  return text;
}

void CInstDlg::runFileCopy() {
  if (!settings.prepared) return;

  phase = PHASE_COPYING;
  progressBar.ShowWindow(SW_SHOW);
  progressBar.SetRange(0, 100);
  progressBar.SetPos(0);
  driveCombo.EnableWindow(false);
  folderEdit.EnableWindow(false);
  browseButton.EnableWindow(false);
  typeCombo.EnableWindow(false);
  progressText.ShowWindow(SW_SHOW);

  const DWORD startTick = GetTickCount();
  setupLog.print("ファイルコピー開始\n");
  // The job's pause ends as soon as input for this thread arrives, so every waiting message gets its pass.
  settings.copyJob.setWakeOnInput(true);

  for (;;) {
    PumpOneMessage(hwnd());
    IoResult result = settings.poll();
    DWORD elapsed = GetTickCount() - startTick;
    int bar = -1;
    std::string text = copyStatusText(settings.getProgress(), elapsed, static_cast<int>(result.count), &bar);
    if (bar >= 0) progressBar.SetPos(bar);
    progressText.SetWindowText(text.c_str());

    if (result.status == COPY_ALL_DONE) {
      setupLog.print("ファイルコピー完了\n");
      progressBar.SetPos(100);
      settings.reset();
      finishInst();
      break;
    }
    if (result.status == COPY_CANCELED || result.status == COPY_READ_FAILED ||
        result.status == COPY_WRITE_FAILED) {
      settings.copyJob.rollback(chosenType);
      settings.reset();
      MessageBox(result.status == COPY_CANCELED ? "インストールが中断されました。終了します"
                                                : "インストール中にエラーが発生しました。終了します",
                 "終了", MB_OK | MB_ICONINFORMATION);
      EndDialog(IDCANCEL);
      break;
    }
    // Nothing is prepared any more (the job was reset from outside): there is nothing left to wait for.
    if (result.status == COPY_NOT_PREPARED) break;
  }

  settings.copyJob.setWakeOnInput(false);
  progressText.ShowWindow(SW_HIDE);
}
