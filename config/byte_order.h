#pragma once
// Key order of the configuration stores: unsigned byte by byte, case-sensitive, a prefix before the longer
// key. std::string's own order compares plain char, which is signed here and would put cp932 lead bytes
// (0x81 and up) before ASCII.
#include <string>

struct ByteOrder {
  bool operator()(const std::string &a, const std::string &b) const;
};
