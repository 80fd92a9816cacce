#pragma once
// The two ways of copying a folder that the benchmark compares inside Wine: the installer's copy job
// (prepare, then step until every entry is done) and a loop of CopyFileA over the same files.
#include <string>
#include <utility>
#include <vector>

namespace bench {

// Both copy every file below source (no trailing backslash) to the same relative path below dest,
// print their figures and return 0, or print what failed and return 1. dest is removed first.
int RunCopyJob(const std::string &source, const std::string &dest);
int RunCopyFileLoop(const std::string &source, const std::string &dest);

// From now on every copy thread is started through a trampoline that notes when its work begins and
// ends (room for `threads` threads); ThreadSpans() gives those spans in start order.
void TimeCopyThreads(size_t threads);
std::vector<std::pair<double, double>> ThreadSpans();

}  // namespace bench
