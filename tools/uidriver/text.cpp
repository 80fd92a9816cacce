#include "tools/uidriver/text.h"

#include <windows.h>

#include <cstdio>

namespace {

std::wstring toWide(UINT codePage, const std::string &bytes) {
  if (bytes.empty()) return std::wstring();
  int n = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), &wide[0], n);
  return wide;
}

}  // namespace

std::wstring WideFromUtf8(const std::string &utf8) { return toWide(CP_UTF8, utf8); }

std::wstring WideFromCp932(const std::string &cp932) { return toWide(932, cp932); }

std::string Utf8FromWide(const std::wstring &wide) {
  if (wide.empty()) return std::string();
  int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string utf8(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[0], n, nullptr, nullptr);
  return utf8;
}

std::wstring Printable(const std::wstring &text) {
  std::wstring out;
  for (wchar_t c : text) {
    if (c == L'\n') {
      out += L"\\n";
    } else if (c == L'\r') {
      out += L"\\r";
    } else if (c == L'\t') {
      out += L"\\t";
    } else {
      out += c;
    }
  }
  return out;
}

void Say(const std::wstring &line) {
  std::string bytes = Utf8FromWide(line) + "\n";
  fwrite(bytes.data(), 1, bytes.size(), stdout);
  fflush(stdout);
}
