#include "config/byte_order.h"

#include <cstring>

bool ByteOrder::operator()(const std::string &a, const std::string &b) const {
  // memcmp compares as unsigned char, zero bytes included.
  const size_t shorter = a.size() < b.size() ? a.size() : b.size();
  const int order = shorter == 0 ? 0 : std::memcmp(a.data(), b.data(), shorter);
  if (order != 0) return order < 0;
  return a.size() < b.size();
}
