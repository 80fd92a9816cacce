#pragma once
// Owns a registry key handle for the length of one operation.
#include <windows.h>

class RegKey {
 public:
  RegKey() = default;
  virtual ~RegKey() {
    if (key_ != nullptr) RegCloseKey(key_);
  }
  RegKey(const RegKey &) = delete;
  RegKey &operator=(const RegKey &) = delete;
  HKEY *out() { return &key_; }
  HKEY get() const { return key_; }

 private:
  HKEY key_ = nullptr;
};
