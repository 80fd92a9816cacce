#pragma once
// Small pieces shared by the benchmark modes: a precise clock, interval arithmetic, the file trees
// being copied, folder removal and the process's memory figures. Results are printed one per line
// as "name=value" so that the host script can collect them.
#include <windows.h>

#include <string>
#include <utility>
#include <vector>

#include "tests/support/test_files.h"

namespace bench {

// Seconds since an arbitrary start, from the performance counter.
double Now();

// Closed intervals [first, second] in the clock's seconds.
using Interval = std::pair<double, double>;
// Total length of the parts of `spans` that lie inside none of `busy` (both sorted by start,
// each list free of overlaps).
double LengthOutside(const std::vector<Interval> &spans, const std::vector<Interval> &busy);

// Every file below folder (no trailing backslash), as paths relative to it, in a stable order;
// bytes receives their total size.
std::vector<std::string> ListFiles(const std::string &folder, unsigned long long *bytes);
// Folder removal and creation as the tests do them.
using ::MakeFolders;
using ::RemoveTree;
// path without its last component ("" when it has no backslash).
std::string FolderOf(const std::string &path);

struct MemoryFigures {
  SIZE_T workingSet = 0;
  SIZE_T peakWorkingSet = 0;
  SIZE_T pagefileUsage = 0;
  SIZE_T peakPagefileUsage = 0;
};
MemoryFigures ProcessMemory();

// Prints name=value on standard output, flushed at once.
void Report(const char *name, double value);
void Report(const char *name, const std::string &value);
// Prints a line to standard error (what went wrong).
void Fail(const std::string &text);

}  // namespace bench
