#include "bench/startup_runs.h"

#include <windows.h>

#include <string>
#include <vector>

#include "app/inst_dlg.h"
#include "app/inst_settings.h"
#include "app/inst_type.h"
#include "bench/bench_support.h"
#include "config/inf_ctrl.h"
#include "framework/prompt.h"
#include "framework/win_app.h"

namespace bench {
namespace {

const char kTypeName[] = "Full";

int WINAPI RefusePrompt(HWND, LPCSTR text, LPCSTR caption, UINT) {
  Fail(std::string("unexpected prompt [") + (caption ? caption : "") + "] " + (text ? text : ""));
  return IDCANCEL;
}

// The real main dialog, timed around its start-up; it ends itself before it shows.
class TimedInstDlg : public CInstDlg {
 public:
  double initSeconds = 0.0;
  double sizeDisplaySeconds = 0.0;
  DWORD neededKB = 0;

 protected:
  bool OnInitDialog() override {
    double started = Now();
    bool result = CInstDlg::OnInitDialog();
    initSeconds = Now() - started;
    // One refresh of both figures, the needed and the free space (the start-up's size display runs
    // the selected type's needs once more before it).
    started = Now();
    checkSpace();
    sizeDisplaySeconds = Now() - started;
    neededKB = checkNeedCapKB();
    EndDialog(IDCANCEL);
    return result;
  }
};

}  // namespace

int RunStartup(const std::string &folder) {
  const std::string infPath = folder + "\\inst.inf";
  SetPromptRoutine(&RefusePrompt);

  // Reading alone: the parse of the file into the store.
  InfCtrl parsed;
  double started = Now();
  bool opened = parsed.open(infPath.c_str(), MODE_READ);
  const double parseSeconds = Now() - started;
  const int values = parsed.count(kTypeName);
  if (!opened || values == 0) {
    Fail("cannot read the install type of " + infPath);
    return 1;
  }

  InstSettings settings;
  InstTypeList types;
  started = Now();
  int loaded = settings.loadInstInf(infPath.c_str(), types);
  const double loadSeconds = Now() - started;
  if (loaded != 0 || types.types.size() != 1 || types.types.front().entries.size() != static_cast<size_t>(values)) {
    Fail("loadInstInf did not read the install type");
    return 1;
  }

  // Every value of the key one by one, against one walk over the same values (count).
  started = Now();
  size_t length = 0;
  for (int i = 0; i < values; ++i) length += parsed.get(kTypeName, i).size();
  const double getAllSeconds = Now() - started;
  const int walks = 100;
  started = Now();
  int counted = 0;
  for (int k = 0; k < walks; ++k) counted += parsed.count(kTypeName);
  const double walkSeconds = (Now() - started) / walks;
  if (length == 0 || counted != walks * values) {
    Fail("the lookups found nothing");
    return 1;
  }

  // One plain pass that opens every entry and reads its size, the way a size sum must.
  const InstTypeInfo &type = types.types.front();
  started = Now();
  unsigned long long rawBytes = 0;
  for (const std::string &entry : type.entries) {
    std::string path = folder + "\\" + entry;
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) continue;
    DWORD high = 0;
    DWORD low = GetFileSize(file, &high);
    rawBytes += (static_cast<unsigned long long>(high) << 32) | low;
    CloseHandle(file);
  }
  const double rawSizeSeconds = Now() - started;

  // The main dialog's own start-up on the same inst.inf.
  static char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  static char noReturnProgram[] = "-";
  std::string source = folder;
  std::vector<char *> argv = {self, noReturnProgram, &source[0], nullptr};
  SetAppArgs(3, argv.data());
  TimedInstDlg dialog;
  started = Now();
  dialog.DoModal();
  const double dialogSeconds = Now() - started;
  SetAppArgs(0, nullptr);
  if (dialog.neededKB == 0 || dialog.initSeconds == 0.0) {
    Fail("the dialog's start-up did not show the size of the install type");
    return 1;
  }

  Report("entries", static_cast<double>(values));
  Report("parse_seconds", parseSeconds);
  Report("load_seconds", loadSeconds);
  Report("get_all_seconds", getAllSeconds);
  Report("count_walk_seconds", walkSeconds);
  Report("raw_size_seconds", rawSizeSeconds);
  Report("raw_size_kb", rawBytes / 1024.0);
  Report("needed_kb", dialog.neededKB);
  Report("init_dialog_seconds", dialog.initSeconds);
  Report("size_display_seconds", dialog.sizeDisplaySeconds);
  Report("dialog_total_seconds", dialogSeconds);
  return 0;
}

}  // namespace bench
