#include "copy/append_path.h"

#include <windows.h>

#include <cstring>

namespace {
// Leading and trailing blanks (spaces) go, as PathRemoveBlanksA does. A space is never the second
// byte of a double-byte character, so this is safe in cp932.
void TrimBlanks(std::string &text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) {
    text.clear();
    return;
  }
  size_t last = text.find_last_not_of(' ');
  text = text.substr(first, last - first + 1);
}

// True when the last character (not merely the last byte) is a backslash.
bool EndsWithBackslash(const std::string &text) {
  const char *last = nullptr;
  for (const char *p = text.c_str(); *p != '\0'; p = CharNextA(p)) last = p;
  return last != nullptr && *last == '\\';
}
}  // namespace

std::string appendPath(const std::string &folder, const std::string &name) {
  std::string joined = folder;
  TrimBlanks(joined);
  if (!joined.empty() && !EndsWithBackslash(joined)) joined += '\\';
  joined += name;
  TrimBlanks(joined);
  return joined;
}

bool appendPath(char *base, size_t capacity, const char *name) {
  if (base == nullptr || capacity == 0) return false;
  std::string joined = appendPath(std::string(base), std::string(name != nullptr ? name : ""));
  const size_t kWorkingBuffer = 264;
  if (joined.size() >= kWorkingBuffer || joined.size() >= capacity) return false;
  std::memcpy(base, joined.c_str(), joined.size() + 1);
  return true;
}
