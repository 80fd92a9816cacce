#pragma once
// Key order of the configuration stores: unsigned byte by byte, case-sensitive, a prefix before the longer
// key, so that cp932 lead bytes (0x81 and up) sort after ASCII. Saved files depend on this order, so it is
// spelled out here rather than left to whatever a char comparison would do.
#include <string>

struct ByteOrder {
  bool operator()(const std::string &a, const std::string &b) const;
};
