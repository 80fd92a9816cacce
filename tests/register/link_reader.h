#pragma once
// Reads a shortcut file back the way another client would: through the shell link object, and the
// show command straight from the file header (Wine's link object answers 1 after Load whatever is stored).
#include <string>

#include "tests/support/test_files.h"

struct LinkInfo {
  bool loaded = false;
  std::string target;
  std::string workingFolder;
  std::string description;
  std::string arguments;
  int showCommand = -1;  // the header's ShowCommand field; -1 when the file is shorter than a header
};

LinkInfo ReadLink(const std::string &linkPath);

// The test prefix as a Windows path through drive Z: ("Z:\...\prefix", no final backslash).
std::string PrefixPath();
// The Unix home folder as a Windows path through drive Z:, empty when it is not known.
std::string HomePath();
bool FileExists(const std::string &path);
bool FolderExists(const std::string &path);
// The whole file, or an empty text when it cannot be read.
std::string ReadFileBytes(const std::string &path);
