#include "app/path_text.h"

#include <windows.h>

bool EndsWithBackslash(const std::string &text) {
  bool last = false;
  for (size_t i = 0; i < text.size(); ++i) {
    if (IsDBCSLeadByte(static_cast<BYTE>(text[i])) && i + 1 < text.size()) {
      ++i;
      last = false;
    } else {
      last = text[i] == '\\';
    }
  }
  return last;
}

void AddBackslash(std::string &text) {
  if (!text.empty() && !EndsWithBackslash(text)) text += '\\';
}

std::string TrimBlanks(const std::string &text) {
  size_t begin = text.find_first_not_of(' ');
  if (begin == std::string::npos) return std::string();
  size_t end = text.find_last_not_of(' ');
  return text.substr(begin, end - begin + 1);
}
