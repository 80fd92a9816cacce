#pragma once
// Small pieces shared by the registration tests: an inst.inf made from text, the prefix's shell folders,
// and a folder made afresh for one test.
#include <windows.h>

#include <string>
#include <vector>

#include "app/inst_settings.h"
#include "tests/support/test_files.h"

// Writes text (cp932 bytes) as <folder>\inst.inf and loads it into settings; false when that failed.
bool LoadInstInf(InstSettings &settings, const std::string &folder, const std::string &text);
// A shell folder as the shell itself answers it (CSIDL_...), empty when it has none.
std::string ShellFolder(int csidl);
// File names (not paths) directly in folder that match the pattern, in the order the file system lists them.
std::vector<std::string> ListFiles(const std::string &folder, const char *pattern);

// A text value under HKEY_LOCAL_MACHINE\key, without its terminator; false when there is none.
bool RegText(const std::string &key, const char *name, std::string &text);
// When the key under HKEY_LOCAL_MACHINE was last written (as the registry keeps it); false without the key.
bool KeyWriteTime(const std::string &key, ULONGLONG &time);
// Deletes the key under HKEY_LOCAL_MACHINE with its values (it must have no subkeys).
void DeleteKey(const std::string &key);

// A folder that exists empty for the life of the object and is removed with everything in it afterwards.
class ScratchFolder {
 public:
  explicit ScratchFolder(const std::string &path);
  virtual ~ScratchFolder();
  ScratchFolder(const ScratchFolder &) = delete;
  ScratchFolder &operator=(const ScratchFolder &) = delete;

  const std::string &path() const { return path_; }  // no final backslash

 private:
  std::string path_;
};
