#pragma once
// Fixtures of the installer-flow tests: files and folders of the prefix, inst.inf texts, the registered
// installation, a program to be started, and a run of the real main dialog with a command line.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/inst_dlg.h"
#include "tests/support/test_files.h"

namespace fixture {

// The shared file helpers, under the names these tests use.
using ::DriveFolder;
using ::Exists;
using ::IsFolder;
using ::MakeFolders;
using ::PrefixDosPath;
using ::ReadBytes;
using ::RemoveTree;
using ::WriteBytes;

// An empty folder (created afresh) for one test.
void FreshFolder(const std::string &folder);

// Writes text (cp932 literals) as folder\inst.inf.
void WriteInstInf(const std::string &folder, const std::string &text);

// HKLM\SOFTWARE\<vender>\<app> "setup_data" := folder; an empty folder removes the key.
void SetRegistered(const std::string &vender, const std::string &app, const std::string &folder);
std::string RegisteredFolder(const std::string &vender, const std::string &app);

// A small program that, when started, appends its own path to the marker file. Copy() puts a copy of it
// at path; MarkerLines() reads what was appended so far.
class StartedProgram {
 public:
  StartedProgram();
  virtual ~StartedProgram();
  // The program as built (ends in .exe).
  std::string path() const;
  // A copy of the program at target (any extension).
  void Copy(const std::string &target) const;
  std::vector<std::string> MarkerLines() const;
  // Waits until at least count lines are there.
  bool WaitForLines(size_t count, DWORD timeoutMs = 10000) const;

 private:
  std::string marker_;
};

// Runs dialog modally with the command line {the test program, args...} while script drives it from a second
// thread; returns DoModal's result.
INT_PTR RunInstaller(CInstDlg &dialog, const std::vector<std::string> &args, const std::function<void()> &script,
                     DWORD closeTimeoutMs = 10000);

// The caption of the main dialog for an AppNameW value.
std::string MainCaption(const std::string &appNameW);

// A 4x4 24-bit bitmap file.
std::string SmallBitmap();

}  // namespace fixture
