// The dialog is the real CInstDlg from its resource template; a scripted user (the test support's
// Responder and dialog driver) answers its questions. The dialog's window procedure is subclassed so
// that a private message can be timed from PostMessage to the moment the dialog handles it.
#include "bench/dialog_run.h"

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <thread>
#include <vector>

#include "app/inst_dlg.h"
#include "app/inst_ids.h"
#include "bench/bench_support.h"
#include "bench/copy_runs.h"
#include "framework/win_app.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/responder.h"

namespace bench {
namespace {

const double kPostPeriod = 0.010;
const size_t kMaxPosts = 200000;

UINT g_pingMessage = 0;
WNDPROC g_dialogProc = nullptr;
CInstDlg *g_dialog = nullptr;
std::vector<double> g_postedAt(kMaxPosts);
std::atomic<size_t> g_posted{0};

// Written on the dialog's thread only, read after the dialog has ended.
std::vector<double> g_copyWaits;  // seconds from post to handling, for messages handled while copying
std::vector<std::pair<double, double>> g_longWaits;  // (posted at, waited) of waits over 50 ms, for the trace
double g_worstWaitOutsideCopy = 0.0;
double g_copyStart = 0.0;
double g_copyEnd = 0.0;
double g_cpuAtStart = 0.0;
double g_cpuAtEnd = 0.0;

double ThreadCpuSeconds() {
  FILETIME created, exited, kernel, user;
  if (!GetThreadTimes(GetCurrentThread(), &created, &exited, &kernel, &user)) return 0.0;
  auto seconds = [](const FILETIME &t) {
    return ((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime) / 1e7;
  };
  return seconds(kernel) + seconds(user);
}

LRESULT CALLBACK TimedDialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == g_pingMessage && g_pingMessage != 0) {
    double now = Now();
    size_t index = static_cast<size_t>(wParam);
    double waited = index < kMaxPosts ? now - g_postedAt[index] : 0.0;
    int phase = g_dialog->phase;
    if (phase == PHASE_COPYING) {
      if (g_copyStart == 0.0) {
        g_copyStart = now;
        g_cpuAtStart = ThreadCpuSeconds();
      }
      g_copyWaits.push_back(waited);
      if (waited > 0.050) g_longWaits.emplace_back(g_postedAt[index], waited);
    } else {
      if (g_copyStart != 0.0 && g_copyEnd == 0.0) {
        g_copyEnd = now;
        g_cpuAtEnd = ThreadCpuSeconds();
      }
      g_worstWaitOutsideCopy = std::max(g_worstWaitOutsideCopy, waited);
    }
    return 0;
  }
  return CallWindowProcA(g_dialogProc, window, message, wParam, lParam);
}

double Percentile(const std::vector<double> &sorted, double q) {
  if (sorted.empty()) return 0.0;
  size_t rank = static_cast<size_t>(q * static_cast<double>(sorted.size() - 1) + 0.5);
  return sorted[std::min(rank, sorted.size() - 1)];
}

// inst.inf of one install type holding the given files.
bool WriteInstInf(const std::string &path, const std::vector<std::string> &files) {
  std::string text =
      "AppName = \"BenchGame\";\r\nAppNameW = \"ベンチゲーム\";\r\nVenderName = \"BenchSoft\";\r\n"
      "InstType = \"Full\";\r\nInstTypeDesc = \"全部\";\r\nFull =";
  for (const std::string &file : files) text += " \"" + file + "\"";
  text += " ;\r\n";
  HANDLE out = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  WriteFile(out, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
  CloseHandle(out);
  return written == text.size();
}

}  // namespace

int RunDialogCopy(const std::string &source, const std::string &dest) {
  unsigned long long bytes = 0;
  std::vector<std::string> files = ListFiles(source, &bytes);
  const std::string infPath = source + "\\inst.inf";
  if (files.empty() || !WriteInstInf(infPath, files)) {
    Fail("no files below " + source + ", or inst.inf cannot be written there");
    return 1;
  }
  RemoveTree(dest);
  TimeCopyThreads(files.size() + 16);
  g_pingMessage = RegisterWindowMessageA("InstBenchPing");
  g_copyWaits.reserve(kMaxPosts);

  Responder user;
  user.expect("インストールを開始します。よろしいですか？", IDYES);
  user.expect("は存在しません。作成しますか？", IDYES);
  user.expect("インストールが完了しました。", IDOK);

  CInstDlg dialog;
  g_dialog = &dialog;
  static char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  static char noReturnProgram[] = "-";
  std::string sourceArg = source;
  std::vector<char *> argv = {self, noReturnProgram, &sourceArg[0], nullptr};
  SetAppArgs(3, argv.data());

  bool finished = false;
  INT_PTR result = driver::RunModal([&] { return dialog.DoModal(); }, [&] {
    HWND main = driver::WaitForDialog("ベンチゲーム インストーラー");
    if (main == nullptr) return;
    g_dialogProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrA(main, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&TimedDialogProc)));
    driver::SetItemText(main, IDC_INSTDIR, dest);

    std::atomic<bool> stop{false};
    std::thread poster([&] {
      double next = Now();
      while (!stop.load()) {
        size_t index = g_posted.load();
        if (index >= kMaxPosts) break;
        g_postedAt[index] = Now();
        g_posted.store(index + 1);
        PostMessageA(main, g_pingMessage, static_cast<WPARAM>(index), 0);
        next += kPostPeriod;
        double rest = next - Now();
        if (rest > 0) Sleep(static_cast<DWORD>(rest * 1000.0));
      }
    });

    driver::PostClick(main, IDC_INST_START);
    HWND shortcuts = driver::WaitForDialog("ショートカットの作成", driver::kDefaultWaitMs, main);
    if (shortcuts != nullptr) driver::Click(shortcuts, IDOK);
    finished = driver::WaitUntil([&] { return driver::IsItemVisible(main, IDC_FINISH_TEXT); }, 1800000);
    stop.store(true);
    poster.join();
    // Let the last posted messages arrive before the dialog ends.
    Sleep(100);
    if (finished) driver::PostClick(main, IDC_INST_START);
  }, 60000);
  SetAppArgs(0, nullptr);
  DeleteFileA(infPath.c_str());

  unsigned long long copiedBytes = 0;
  std::vector<std::string> copied = ListFiles(dest, &copiedBytes);
  RemoveTree(dest);
  if (!finished || result != IDOK || user.pendingCount() != 0 || user.prompts().size() != 3 ||
      copiedBytes < bytes || g_copyWaits.empty()) {
    Fail("the installation through the dialog did not complete as scripted (result " + std::to_string(result) +
         ", prompts " + std::to_string(user.prompts().size()) + ")");
    return 1;
  }

  if (getenv("INST_BENCH_TRACE") != nullptr) {
    for (const auto &wait : g_longWaits)
      std::fprintf(stderr, "long wait: posted %.4f waited %.1f ms\n", wait.first - g_copyStart, wait.second * 1000.0);
    for (const Interval &span : ThreadSpans())
      std::fprintf(stderr, "thread: %.4f..%.4f\n", span.first - g_copyStart, span.second - g_copyStart);
  }
  std::vector<double> waits = g_copyWaits;
  std::sort(waits.begin(), waits.end());
  const double copySeconds = g_copyEnd > g_copyStart ? g_copyEnd - g_copyStart : 0.0;
  Report("posted", static_cast<double>(g_posted.load()));
  Report("handled_while_copying", static_cast<double>(waits.size()));
  Report("wait_p50_ms", Percentile(waits, 0.50) * 1000.0);
  Report("wait_p99_ms", Percentile(waits, 0.99) * 1000.0);
  Report("wait_max_ms", waits.back() * 1000.0);
  Report("wait_max_outside_copy_ms", g_worstWaitOutsideCopy * 1000.0);
  Report("copy_seconds", copySeconds);
  Report("mb_per_s", copySeconds > 0 ? bytes / 1048576.0 / copySeconds : 0.0);
  Report("dialog_thread_cpu_share", copySeconds > 0 ? (g_cpuAtEnd - g_cpuAtStart) / copySeconds : 0.0);
  return 0;
}

}  // namespace bench
