// Copy throughput of the copy job, driven through prepare and step as the progress driver drives it,
// beside CopyFileA on the same files in the same run: many small files (the cost of each file's
// start and end) and one large file (the cost per block).
//   tools/winerun.sh --root build/<dir>/wine build/<dir>/bench/copy_bench.exe [folder]
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/inst_type.h"
#include "copy/copy_job.h"

namespace {
const int kSmallFiles = 500;
const DWORD kSmallSize = 1024;
const ULONGLONG kLargeSize = 256ull * 1024 * 1024;

double Now() {
  static LARGE_INTEGER frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return f;
  }();
  LARGE_INTEGER counter;
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) / static_cast<double>(frequency.QuadPart);
}

bool WriteFileOfSize(const std::string &path, ULONGLONG size, unsigned seed) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  std::vector<char> chunk(1 << 20);
  for (size_t i = 0; i < chunk.size(); ++i) chunk[i] = static_cast<char>(i * 31 + seed);
  ULONGLONG left = size;
  bool ok = true;
  while (ok && left > 0) {
    DWORD part = static_cast<DWORD>(left < chunk.size() ? left : chunk.size());
    DWORD written = 0;
    ok = WriteFile(file, chunk.data(), part, &written, nullptr) && written == part;
    left -= part;
  }
  CloseHandle(file);
  return ok;
}

// Copies every entry through the job; seconds taken, or a negative value when the job failed.
double RunJob(const InstTypeInfo &type, const std::string &source, const std::string &dest) {
  CopyJob job;
  double start = Now();
  if (!job.prepare(type, source.c_str(), dest.c_str())) return -1;
  for (;;) {
    IoResult result = job.step();
    if (result.status == COPY_ALL_DONE) break;
    if (result.status != COPY_WAITING && result.status != COPY_OK && result.status != COPY_FILE_DONE) return -1;
  }
  double seconds = Now() - start;
  job.deactivate();
  return seconds;
}

// Copies the large file through the job with input waiting before every step, as a busy message
// pump would see it; the mean time one step takes, in ms.
double MeanStepWithInputWaiting(const InstTypeInfo &type, const std::string &source, const std::string &dest,
                                bool wakeOnInput) {
  CopyJob job;
  job.setWakeOnInput(wakeOnInput);
  if (!job.prepare(type, source.c_str(), dest.c_str())) return -1;
  int steps = 0;
  double start = Now();
  for (;;) {
    PostThreadMessageA(GetCurrentThreadId(), WM_NULL, 0, 0);
    IoResult result = job.step();
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
    }
    ++steps;
    if (result.status == COPY_ALL_DONE) break;
    if (result.status != COPY_WAITING && result.status != COPY_OK && result.status != COPY_FILE_DONE) return -1;
  }
  return (Now() - start) * 1000.0 / steps;
}

double RunCopyFile(const InstTypeInfo &type, const std::string &source, const std::string &dest) {
  double start = Now();
  for (const std::string &entry : type.entries)
    if (!CopyFileA((source + entry).c_str(), (dest + entry).c_str(), FALSE)) return -1;
  return Now() - start;
}

void Report(const char *what, double jobSeconds, double copySeconds, double amount, const char *unit) {
  if (jobSeconds < 0 || copySeconds < 0) {
    std::printf("%-28s failed\n", what);
    return;
  }
  double job = amount / jobSeconds;
  double copy = amount / copySeconds;
  std::printf("%-28s copy job %10.1f %s   CopyFileA %10.1f %s   job/CopyFileA %.2f\n", what, job, unit, copy, unit,
              job / copy);
}
}  // namespace

int main(int argc, char **argv) {
  std::string root = argc > 1 ? argv[1] : "C:\\copybench";
  if (root.back() != '\\') root += '\\';
  std::string source = root + "src\\", viaJob = root + "job\\", viaCopyFile = root + "copyfile\\";
  for (const std::string &folder : {root, source, viaJob, viaCopyFile}) CreateDirectoryA(folder.c_str(), nullptr);

  InstTypeInfo small("small");
  for (int i = 0; i < kSmallFiles; ++i) {
    char name[32];
    std::snprintf(name, sizeof name, "small%03d.dat", i);
    small.entries.push_back(name);
    if (!WriteFileOfSize(source + name, kSmallSize, static_cast<unsigned>(i))) {
      std::printf("cannot write %s\n", (source + name).c_str());
      return 1;
    }
  }
  InstTypeInfo large("large");
  large.entries.push_back("large.dat");
  if (!WriteFileOfSize(source + "large.dat", kLargeSize, 7)) {
    std::printf("cannot write the large file\n");
    return 1;
  }

  std::printf("%d files of %lu bytes, one file of %llu MiB, block size %lu\n", kSmallFiles,
              static_cast<unsigned long>(kSmallSize), kLargeSize >> 20, static_cast<unsigned long>(CopyJob::kBlockSize));
  const double megabytes = static_cast<double>(kLargeSize) / (1024.0 * 1024.0);
  for (int round = 1; round <= 2; ++round) {
    std::printf("round %d\n", round);
    double jobSmall = RunJob(small, source, viaJob);
    double copySmall = RunCopyFile(small, source, viaCopyFile);
    Report("  500 x 1 KiB (files/s)", jobSmall, copySmall, kSmallFiles, "files/s");
    double jobLarge = RunJob(large, source, viaJob);
    double copyLarge = RunCopyFile(large, source, viaCopyFile);
    Report("  256 MiB (MB/s)", jobLarge, copyLarge, megabytes, "MB/s   ");
  }

  std::printf("mean step of the 256 MiB copy with a message waiting before each step:\n");
  std::printf("  default pause %.2f ms, woken by input %.2f ms\n",
              MeanStepWithInputWaiting(large, source, viaJob, false), MeanStepWithInputWaiting(large, source, viaJob, true));

  for (const std::string &folder : {source, viaJob, viaCopyFile}) {
    for (const InstTypeInfo *type : {&small, &large})
      for (const std::string &entry : type->entries) DeleteFileA((folder + entry).c_str());
    RemoveDirectoryA(folder.c_str());
  }
  RemoveDirectoryA(root.c_str());
  return 0;
}
