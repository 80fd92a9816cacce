#include "copy/file_base.h"

FileBase::FileBase(const char *path, DWORD blockSize) : blockSize_(blockSize) {
  lstrcpynA(path_, path, 260);
}

FileBase::~FileBase() {
  if (handle_ != nullptr) CloseHandle(handle_);
}

HANDLE FileBase::getHandle() const { return handle_; }
