#include "tests/copy/copy_test_util.h"

#include <cstdlib>

#include "gtest/gtest.h"

std::string Pattern(size_t size, unsigned seed) {
  std::string bytes(size, '\0');
  unsigned state = seed * 2654435761u + 12345u;
  for (size_t i = 0; i < size; ++i) {
    state = state * 1103515245u + 12345u;
    bytes[i] = static_cast<char>((state >> 16) ^ (i / 16384));
  }
  return bytes;
}







std::string FreshFolder(const std::string &name) {
  std::string folder = "C:\\copytest\\" + name;
  RemoveTree(folder);
  MakeFolders(folder);
  return folder + "\\";
}


InstTypeInfo TypeOf(const std::vector<std::string> &entries) {
  InstTypeInfo type("test");
  for (const std::string &entry : entries) type.entries.push_back(entry);
  return type;
}

std::vector<IoResult> RunSteps(CopyJob &job, int maxSteps) {
  std::vector<IoResult> results;
  for (int i = 0; i < maxSteps; ++i) {
    IoResult result = job.step();
    results.push_back(result);
    if (result.status != COPY_WAITING && result.status != COPY_OK && result.status != COPY_FILE_DONE) break;
  }
  return results;
}

#include <atomic>

#include "copy/copy_seams.h"

namespace {
std::atomic<int> g_seamCall{0};
std::atomic<int> g_seamCalls{0};
std::atomic<int> g_seamMode{0};
HANDLE g_seamReached = nullptr;
HANDLE g_seamRelease = nullptr;
ReadFileRoutine g_seamPrevious = nullptr;

BOOL WINAPI SeamedReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD done, LPOVERLAPPED overlapped) {
  int call = ++g_seamCalls;
  int target = g_seamCall.load();
  switch (g_seamMode.load()) {
    case ReadSeam::HOLD:
      if (call == target) {
        SetEvent(g_seamReached);
        WaitForSingleObject(g_seamRelease, INFINITE);
      }
      break;
    case ReadSeam::FAIL_ONCE:
    case ReadSeam::FAIL_FROM_THEN_ON:
      if (call == target || (g_seamMode.load() == ReadSeam::FAIL_FROM_THEN_ON && call > target)) {
        SetEvent(g_seamReached);
        SetLastError(ERROR_CRC);
        return FALSE;
      }
      break;
  }
  return ReadFile(file, buffer, toRead, done, overlapped);
}
}  // namespace

ReadSeam::ReadSeam(int call, Mode mode) {
  g_seamCall = call;
  g_seamCalls = 0;
  g_seamMode = mode;
  g_seamReached = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  g_seamRelease = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  g_seamPrevious = g_readFileRoutine.exchange(&SeamedReadFile);
}

ReadSeam::~ReadSeam() {
  release();
  g_readFileRoutine.store(g_seamPrevious);
  // Every test ends its copy before its seam goes, so no reader is inside the routine any more.
  CloseHandle(g_seamReached);
  CloseHandle(g_seamRelease);
}

bool ReadSeam::waitReached(DWORD timeoutMs) { return WaitForSingleObject(g_seamReached, timeoutMs) == WAIT_OBJECT_0; }

void ReadSeam::release() { SetEvent(g_seamRelease); }

int ReadSeam::calls() const { return g_seamCalls.load(); }

testing::AssertionResult HasBytes(const std::string &path, const std::string &expected) {
  std::string actual = ReadBytes(path);
  if (actual == expected) return testing::AssertionSuccess();
  if (actual == "<missing>") return testing::AssertionFailure() << path << " cannot be opened";
  size_t at = 0;
  while (at < actual.size() && at < expected.size() && actual[at] == expected[at]) ++at;
  return testing::AssertionFailure() << path << " holds " << actual.size() << " bytes, expected " << expected.size()
                                     << "; first difference at byte " << at;
}
