#pragma once
// What a Reader and a Writer share: the open file's handle, its path and the block size.
#include <windows.h>

class FileBase {
 public:
  FileBase(const char *path, DWORD blockSize);
  virtual ~FileBase();  // closes the handle when one is open
  FileBase(const FileBase &) = delete;
  FileBase &operator=(const FileBase &) = delete;

  // The path given to the constructor, cut to at most 259 characters.
  virtual const char *getPath() const = 0;
  // The open file, or null when the object is not open.
  virtual HANDLE getHandle() const;

 protected:
  DWORD blockSize_;
  HANDLE handle_ = nullptr;  // never INVALID_HANDLE_VALUE
  char path_[261];
};
