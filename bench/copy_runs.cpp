// The copy job is measured from outside: every copy thread is started through a trampoline that
// notes when the thread's work begins and ends, and every step() is timed, so that the time the job
// spends neither copying nor letting a copy thread copy shows as the step time outside the threads.
#include "bench/copy_runs.h"

#include <windows.h>
#include <process.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/inst_type.h"
#include "bench/bench_support.h"
#include "copy/copy_job.h"
#include "copy/copy_seams.h"
#include "framework/prompt.h"

namespace bench {
namespace {

std::atomic<int> g_prompts{0};

// No prompt is expected from a copy of readable files into a fresh folder: note it and give up.
int WINAPI RefusePrompt(HWND, LPCSTR text, LPCSTR caption, UINT) {
  ++g_prompts;
  std::fprintf(stderr, "install_bench: unexpected prompt [%s] %s\n", caption ? caption : "", text ? text : "");
  return IDCANCEL;
}

struct ThreadSpan {
  double begun = 0.0;  // _beginthreadex called
  double start = 0.0;  // the copy thread's work begins
  double end = 0.0;    // and ends
};

// Filled by the copy threads; one slot per started thread, claimed with an atomic counter.
std::vector<ThreadSpan> g_threadSpans;
std::atomic<size_t> g_threadCount{0};

struct Trampoline {
  unsigned(__stdcall *procedure)(void *);
  void *argument;
  double begun;
};

unsigned __stdcall TimedThread(void *raw) {
  Trampoline hop = *static_cast<Trampoline *>(raw);
  delete static_cast<Trampoline *>(raw);
  size_t slot = g_threadCount++;
  double start = Now();
  unsigned result = hop.procedure(hop.argument);
  double end = Now();
  if (slot < g_threadSpans.size()) g_threadSpans[slot] = ThreadSpan{hop.begun, start, end};
  return result;
}

uintptr_t TimedBeginThread(void *security, unsigned stackSize, unsigned(__stdcall *procedure)(void *),
                           void *argument, unsigned flags, unsigned *threadId) {
  Trampoline *hop = new Trampoline{procedure, argument, Now()};
  uintptr_t handle = _beginthreadex(security, stackSize, &TimedThread, hop, flags, threadId);
  if (handle == 0) delete hop;
  return handle;
}

bool SameTree(const std::string &source, const std::string &dest, size_t files, unsigned long long bytes) {
  unsigned long long copiedBytes = 0;
  std::vector<std::string> copied = ListFiles(dest, &copiedBytes);
  if (copied.size() != files || copiedBytes != bytes) {
    Fail("the copy of " + source + " is incomplete: " + std::to_string(copied.size()) + " files, " +
         std::to_string(copiedBytes) + " bytes");
    return false;
  }
  return true;
}

void ReportMemory(const MemoryFigures &before, const MemoryFigures &after) {
  Report("ws_before_mb", before.workingSet / 1048576.0);
  Report("peak_ws_mb", after.peakWorkingSet / 1048576.0);
  Report("pagefile_before_mb", before.pagefileUsage / 1048576.0);
  Report("peak_pagefile_mb", after.peakPagefileUsage / 1048576.0);
}

}  // namespace

void TimeCopyThreads(size_t threads) {
  g_threadSpans.assign(threads, ThreadSpan{});
  g_threadCount.store(0);
  g_beginThreadRoutine.store(&TimedBeginThread);
}

std::vector<Interval> ThreadSpans() {
  std::vector<Interval> spans;
  size_t threads = g_threadCount.load();
  for (size_t i = 0; i < threads && i < g_threadSpans.size(); ++i)
    spans.emplace_back(g_threadSpans[i].start, g_threadSpans[i].end);
  return spans;
}

namespace {

// The files below source and their total size, and an empty dest; false (reported) without files.
bool StartRun(const std::string &source, const std::string &dest, std::vector<std::string> &files,
              unsigned long long &bytes) {
  files = ListFiles(source, &bytes);
  if (files.empty()) {
    Fail("no files below " + source);
    return false;
  }
  RemoveTree(dest);
  MakeFolders(dest);
  return true;
}

}  // namespace

int RunCopyJob(const std::string &source, const std::string &dest) {
  unsigned long long bytes = 0;
  std::vector<std::string> files;
  if (!StartRun(source, dest, files, bytes)) return 1;
  InstTypeInfo type("bench");
  for (const std::string &file : files) type.entries.push_back(file);
  SetPromptRoutine(&RefusePrompt);
  TimeCopyThreads(files.size() + 16);

  std::vector<Interval> steps;
  std::vector<CopyStatus> statuses;
  steps.reserve(200000);
  statuses.reserve(200000);
  CopyJob job;
  const MemoryFigures before = ProcessMemory();
  const double started = Now();
  if (!job.prepare(type, (source + "\\").c_str(), (dest + "\\").c_str())) {
    Fail("prepare refused");
    return 1;
  }
  IoResult result;
  for (;;) {
    double from = Now();
    result = job.step();
    steps.emplace_back(from, Now());
    statuses.push_back(result.status);
    if (result.status != COPY_WAITING && result.status != COPY_OK && result.status != COPY_FILE_DONE) break;
  }
  const double seconds = Now() - started;
  const MemoryFigures after = ProcessMemory();
  job.deactivate();

  if (result.status != COPY_ALL_DONE || g_prompts.load() != 0) {
    Fail("the copy job ended with status " + std::to_string(result.status));
    return 1;
  }
  const std::vector<Interval> busy = ThreadSpans();
  const size_t threads = busy.size();
  double busySeconds = 0.0;
  for (const Interval &span : busy) busySeconds += span.second - span.first;
  double stepSeconds = 0.0;
  for (const Interval &step : steps) stepSeconds += step.second - step.first;
  const double idleSeconds = LengthOutside(steps, busy);

  // Where the idle time goes, per file: opening (step start to _beginthreadex: Reader, folder,
  // Writer), thread start-up (_beginthreadex to the thread's work), the wait for the thread's end
  // (its work done to the end of that step), and the step that closes the file and sets its times
  // and attributes.
  double opening = 0.0, startUp = 0.0, endWait = 0.0, closing = 0.0;
  size_t k = 0;
  for (size_t t = 0; t < threads; ++t) {
    const ThreadSpan &span = g_threadSpans[t];
    while (k < steps.size() && steps[k].second < span.begun) ++k;
    if (k < steps.size()) opening += span.begun - steps[k].first;
    startUp += span.start - span.begun;
    while (k < steps.size() && steps[k].second < span.end) ++k;
    if (k < steps.size()) endWait += steps[k].second - span.end;
    while (k < steps.size() && statuses[k] != COPY_FILE_DONE) ++k;
    if (k < steps.size()) closing += steps[k].second - steps[k].first;
  }
  if (getenv("INST_BENCH_TRACE") != nullptr) {
    for (size_t i = 0; i < steps.size(); ++i)
      std::fprintf(stderr, "step %zu: %.4f..%.4f status %d\n", i, steps[i].first - started, steps[i].second - started,
                   statuses[i]);
    for (const Interval &span : busy)
      std::fprintf(stderr, "thread: %.4f..%.4f\n", span.first - started, span.second - started);
  }

  Report("seconds", seconds);
  Report("files", static_cast<double>(files.size()));
  Report("bytes", static_cast<double>(bytes));
  Report("mb_per_s", bytes / 1048576.0 / seconds);
  Report("files_per_s", files.size() / seconds);
  Report("steps", static_cast<double>(steps.size()));
  Report("threads", static_cast<double>(threads));
  Report("step_seconds", stepSeconds);
  Report("thread_busy_seconds", busySeconds);
  // Time inside step() while no copy thread was copying: opening, folders, times and attributes,
  // starting the thread, and every pause that outlasted the copy.
  Report("idle_seconds", idleSeconds);
  Report("idle_ms_per_file", idleSeconds * 1000.0 / files.size());
  Report("open_ms_per_file", opening * 1000.0 / files.size());
  Report("thread_start_ms_per_file", startUp * 1000.0 / files.size());
  Report("thread_end_wait_ms_per_file", endWait * 1000.0 / files.size());
  Report("close_ms_per_file", closing * 1000.0 / files.size());
  ReportMemory(before, after);
  bool ok = SameTree(source, dest, files.size(), bytes);
  RemoveTree(dest);
  return ok ? 0 : 1;
}

int RunCopyFileLoop(const std::string &source, const std::string &dest) {
  unsigned long long bytes = 0;
  std::vector<std::string> files;
  if (!StartRun(source, dest, files, bytes)) return 1;
  const MemoryFigures before = ProcessMemory();
  const double started = Now();
  std::string madeFolder;
  for (const std::string &file : files) {
    // The folders are made as the copy job makes them: once per run of files in the same folder.
    std::string folder = FolderOf(file);
    if (!folder.empty() && folder != madeFolder) {
      MakeFolders(dest + "\\" + folder);
      madeFolder = folder;
    }
    if (!CopyFileA((source + "\\" + file).c_str(), (dest + "\\" + file).c_str(), FALSE)) {
      Fail("CopyFileA failed on " + file + " with " + std::to_string(GetLastError()));
      return 1;
    }
  }
  const double seconds = Now() - started;
  const MemoryFigures after = ProcessMemory();
  Report("seconds", seconds);
  Report("files", static_cast<double>(files.size()));
  Report("bytes", static_cast<double>(bytes));
  Report("mb_per_s", bytes / 1048576.0 / seconds);
  Report("files_per_s", files.size() / seconds);
  ReportMemory(before, after);
  bool ok = SameTree(source, dest, files.size(), bytes);
  RemoveTree(dest);
  return ok ? 0 : 1;
}

}  // namespace bench
