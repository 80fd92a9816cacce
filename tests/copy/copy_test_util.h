#pragma once
// Small fixtures for the copy engine's tests: byte patterns, files, folders, the Wine prefix seen
// through Z:, and a loop that drives a copy job the way the progress driver does.
#include <windows.h>

#include <string>
#include <vector>

#include "app/inst_type.h"
#include "copy/copy_job.h"
#include "tests/support/test_files.h"

// size bytes that differ from block to block, so that a skipped or repeated block shows.
std::string Pattern(size_t size, unsigned seed = 1);
// An empty folder of its own for one test, ending in a backslash: C:\copytest\<name>\ .
std::string FreshFolder(const std::string &name);


InstTypeInfo TypeOf(const std::vector<std::string> &entries);

// Calls step() until a status other than COPY_WAITING, COPY_OK and COPY_FILE_DONE, at most maxSteps
// times; every result in order.
std::vector<IoResult> RunSteps(CopyJob &job, int maxSteps = 100000);

// Replaces ReadFile for its lifetime: the read number `call` (counted from 1 over all threads) is
// held until release() (HOLD), or fails with ERROR_CRC once (FAIL_ONCE) or from then on.
class ReadSeam {
 public:
  enum Mode { HOLD, FAIL_ONCE, FAIL_FROM_THEN_ON };
  ReadSeam(int call, Mode mode);
  virtual ~ReadSeam();
  ReadSeam(const ReadSeam &) = delete;
  ReadSeam &operator=(const ReadSeam &) = delete;
  // True once the held read has been reached (waits at most timeoutMs).
  bool waitReached(DWORD timeoutMs = 10000);
  void release();
  int calls() const;
};

#include "gtest/gtest.h"

// The file holds exactly `expected`; otherwise says where it first differs (not the whole content).
testing::AssertionResult HasBytes(const std::string &path, const std::string &expected);
