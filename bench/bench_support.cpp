#include "bench/bench_support.h"

#include <psapi.h>

#include <algorithm>
#include <cstdio>

namespace bench {

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER count;
  QueryPerformanceCounter(&count);
  return static_cast<double>(count.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double LengthOutside(const std::vector<Interval> &spans, const std::vector<Interval> &busy) {
  double outside = 0.0;
  size_t b = 0;
  for (const Interval &span : spans) {
    double covered = 0.0;
    while (b < busy.size() && busy[b].second <= span.first) ++b;
    for (size_t k = b; k < busy.size() && busy[k].first < span.second; ++k) {
      double from = std::max(span.first, busy[k].first);
      double to = std::min(span.second, busy[k].second);
      if (to > from) covered += to - from;
    }
    outside += (span.second - span.first) - covered;
  }
  return outside;
}

namespace {
void listInto(const std::string &root, const std::string &relative, std::vector<std::string> &files,
              unsigned long long &bytes) {
  std::string folder = relative.empty() ? root : root + "\\" + relative;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  std::vector<std::string> subfolders;
  do {
    std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    std::string path = relative.empty() ? name : relative + "\\" + name;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      subfolders.push_back(path);
    } else {
      files.push_back(path);
      bytes += (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(subfolders.begin(), subfolders.end());
  for (const std::string &sub : subfolders) listInto(root, sub, files, bytes);
}
}  // namespace

std::vector<std::string> ListFiles(const std::string &folder, unsigned long long *bytes) {
  std::vector<std::string> files;
  unsigned long long total = 0;
  listInto(folder, "", files, total);
  if (bytes != nullptr) *bytes = total;
  return files;
}



std::string FolderOf(const std::string &path) {
  size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

MemoryFigures ProcessMemory() {
  PROCESS_MEMORY_COUNTERS counters = {};
  counters.cb = sizeof(counters);
  MemoryFigures figures;
  if (GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters))) {
    figures.workingSet = counters.WorkingSetSize;
    figures.peakWorkingSet = counters.PeakWorkingSetSize;
    figures.pagefileUsage = counters.PagefileUsage;
    figures.peakPagefileUsage = counters.PeakPagefileUsage;
  }
  return figures;
}

void Report(const char *name, double value) {
  std::printf("%s=%.6f\n", name, value);
  std::fflush(stdout);
}

void Report(const char *name, const std::string &value) {
  std::printf("%s=%s\n", name, value.c_str());
  std::fflush(stdout);
}

void Fail(const std::string &text) {
  std::fprintf(stderr, "install_bench: %s\n", text.c_str());
  std::fflush(stderr);
}

}  // namespace bench
