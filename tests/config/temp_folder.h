#pragma once
// A fresh folder below the temporary folder for one test, with helpers to write and read whole files as bytes.
#include <string>

class TempFolder {
 public:
  TempFolder();
  virtual ~TempFolder();
  TempFolder(const TempFolder &) = delete;
  TempFolder &operator=(const TempFolder &) = delete;

  const std::string &path() const { return folder; }  // ends in a backslash
  std::string file(const char *name) const { return folder + name; }

 private:
  std::string folder;
};

// Writes bytes exactly (binary); false on failure.
bool writeBytes(const std::string &path, const std::string &bytes);
// The file's exact bytes; empty when it cannot be read.
std::string readBytes(const std::string &path);
bool fileExists(const std::string &path);
