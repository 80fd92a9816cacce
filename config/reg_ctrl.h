#pragma once
// One registry key in memory: open reads its text (REG_SZ) and binary (REG_BINARY) values, get and set work on
// the copy only, close(true) in MODE_UPDATE stores every held value back. Other value types are neither held
// nor touched. No handle is kept between calls.
#include <windows.h>

#include <map>
#include <string>

#include "config/byte_order.h"
#include "config/open_mode.h"

class RegCtrl {
 public:
  RegCtrl() = default;
  virtual ~RegCtrl() = default;  // touches no key

  // Opens root\subkey (MODE_READ: read access; else full access; MODE_UPDATE creates a missing key) and reads its
  // values. False when the key cannot be opened (or created), or when subkey is longer than 259 bytes.
  bool open(const char *subkey, int mode, HKEY root);
  // Case-sensitive lookup in the held values. False (and out emptied) when name is not held.
  bool get(const char *name, std::string &out) const;
  // MODE_UPDATE only: replaces or adds the held value. False in other modes.
  bool set(const char *name, const std::string &value);
  // MODE_UPDATE with save: writes every held value (REG_BINARY when it holds a zero byte, else REG_SZ).
  // False when not open or the key cannot be opened for writing. Values stay readable afterwards.
  bool close(bool save);

 private:
  bool isOpen = false;
  std::map<std::string, std::string, ByteOrder> values;  // text without terminator, binary exact
  int mode = 0;
  HKEY root = nullptr;
  char subkey[260] = {};
};
