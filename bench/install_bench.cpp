// The installer's benchmark program. Each run measures one thing and prints name=value lines;
// tools/bench.sh runs it under Wine, several times, beside the host's cp, and prints the medians.
//
//   install_bench job      SOURCE DEST   copy job: prepare, then step until done
//   install_bench copyfile SOURCE DEST   CopyFileA over the same files (the baseline)
//   install_bench dialog   SOURCE DEST   the same copy through the main dialog, timing its messages
//   install_bench startup  FOLDER        inst.inf of FOLDER: loadInstInf, size display, InfCtrl::get
//   install_bench ready                  does nothing (creates the Wine prefix)
#include <windows.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "bench/bench_support.h"
#include "bench/copy_runs.h"
#include "bench/dialog_run.h"
#include "bench/startup_runs.h"

namespace {
std::string WithoutTrailingBackslash(std::string path) {
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}

int Usage() {
  std::fprintf(stderr,
               "usage: install_bench job|copyfile|dialog SOURCE DEST\n"
               "       install_bench startup FOLDER\n"
               "       install_bench ready\n");
  return 2;
}
}  // namespace

int main(int argc, char **argv) {
  if (GetACP() != 932) {
    bench::Fail("the ANSI code page is " + std::to_string(GetACP()) + ", not 932: run through tools/winerun.sh");
    return 3;
  }
  if (argc < 2) return Usage();
  const std::string mode = argv[1];
  if (mode == "ready") return 0;
  if (mode == "startup" && argc == 3) return bench::RunStartup(WithoutTrailingBackslash(argv[2]));
  if (argc != 4) return Usage();
  const std::string source = WithoutTrailingBackslash(argv[2]);
  const std::string dest = WithoutTrailingBackslash(argv[3]);
  if (mode == "job") return bench::RunCopyJob(source, dest);
  if (mode == "copyfile") return bench::RunCopyFileLoop(source, dest);
  if (mode == "dialog") return bench::RunDialogCopy(source, dest);
  return Usage();
}
