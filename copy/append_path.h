#pragma once
// Joins a folder and a name with exactly one backslash between them: blanks trimmed at both ends,
// a backslash added unless the folder already ends with one (a double-byte character whose second
// byte is 0x5C does not count), the name appended, blanks trimmed again. An empty folder gets no
// backslash.
#include <cstddef>
#include <string>

std::string appendPath(const std::string &folder, const std::string &name);

// The same into base in place, base being capacity bytes. The joined text must stay below 264
// bytes and fit base: otherwise base is left unchanged and the result is false.
bool appendPath(char *base, size_t capacity, const char *name);

template <size_t N>
bool appendPath(char (&base)[N], const char *name) {
  return appendPath(base, N, name);
}
