#pragma once
// One inf file in memory: an ordered multimap of key to values, read by open and written back by close(true).
// A missing key is never an error: it reads as no values, an empty text or the number 0.
#include <map>
#include <string>

#include "config/byte_order.h"
#include "config/open_mode.h"

class InfCtrl {
 public:
  InfCtrl() = default;
  virtual ~InfCtrl() = default;  // writes nothing

  // Stores path and mode, then in MODE_READ and MODE_UPDATE adds the file's entries to those already held.
  // False when that file cannot be read, or when path is longer than 259 bytes (then no path is kept, so
  // nothing can be saved). Other modes touch no file and return true.
  bool open(const char *path, int mode);
  // Without save, or in MODE_READ: only ends the use (true). In MODE_WRITE and MODE_UPDATE with save: rewrites
  // the file from all entries, comment line first. False when not open, no path, or the file cannot be written.
  // Entries stay held in every case.
  bool close(bool save);

  // Number of values held under key; 0 when absent.
  int count(const char *key) const;
  // Value number index of key (index 0 or less: the first one). Past the last value or for an absent key: one
  // shared empty string, never to be changed. A present value stays valid as long as this object lives.
  const std::string &get(const char *key, int index) const;
  // out = get(key, index); true when out is not empty.
  bool getString(const char *key, int index, std::string &out) const;
  // out = decimal value of get(key, index) (0 without digits); returns what getString returns.
  bool getInt(const char *key, int index, int &out) const;
  // In MODE_WRITE and MODE_UPDATE appends value after the values of key and returns true; else false.
  bool add(const char *key, const std::string &value);

  // One-line header written as "#comment" at the top of a saved file; no LF, no ';', even number of '"'.
  std::string comment;

 private:
  bool isOpen = false;
  using Entries = std::multimap<std::string, std::string, ByteOrder>;
  Entries entries;  // equal keys keep their arrival order
  int mode = 0;
  char path[260] = {};

  // Where the last successful get ended, so that reading a key's values in order costs one step per
  // value instead of a walk from the first. Entries are never removed and new ones go after those of
  // their key, so the remembered position keeps its index. A copy of the object starts without one,
  // since the position belongs to the entries it was taken in.
  struct Cursor {
    Cursor() = default;
    Cursor(const Cursor &) {}
    Cursor &operator=(const Cursor &) {
      valid = false;
      return *this;
    }
    bool valid = false;
    std::string key;
    int index = 0;
    Entries::const_iterator at;
  };
  mutable Cursor cursor;
};
