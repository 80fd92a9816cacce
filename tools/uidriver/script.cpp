#include "tools/uidriver/script.h"

#include <windows.h>

#include "tools/uidriver/text.h"

namespace {

bool readFile(const std::wstring &path, std::string &bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return true;
}

bool splitWords(const std::wstring &line, std::vector<std::wstring> &words) {
  size_t i = 0;
  while (i < line.size()) {
    if (line[i] == L' ' || line[i] == L'\t') {
      ++i;
      continue;
    }
    std::wstring word;
    if (line[i] == L'"') {
      size_t close = line.find(L'"', i + 1);
      if (close == std::wstring::npos) return false;
      word = line.substr(i + 1, close - i - 1);
      i = close + 1;
    } else {
      size_t end = line.find_first_of(L" \t", i);
      if (end == std::wstring::npos) end = line.size();
      word = line.substr(i, end - i);
      i = end;
    }
    words.push_back(word);
  }
  return true;
}

}  // namespace

bool LoadScript(const std::wstring &path, std::vector<Step> &steps, std::wstring &error) {
  std::string bytes;
  if (!readFile(path, bytes)) {
    error = L"cannot read the scenario " + path;
    return false;
  }
  if (bytes.compare(0, 3, "\xEF\xBB\xBF") == 0) bytes.erase(0, 3);
  std::wstring text = WideFromUtf8(bytes);
  size_t start = 0;
  int number = 0;
  while (start <= text.size()) {
    size_t end = text.find(L'\n', start);
    if (end == std::wstring::npos) end = text.size();
    std::wstring line = text.substr(start, end - start);
    start = end + 1;
    ++number;
    if (!line.empty() && line.back() == L'\r') line.pop_back();
    size_t first = line.find_first_not_of(L" \t");
    if (first == std::wstring::npos || line[first] == L'#') continue;
    Step step;
    step.line = number;
    step.source = line.substr(first);
    if (!splitWords(line, step.words)) {
      error = L"line " + std::to_wstring(number) + L": a double quote is not closed";
      return false;
    }
    steps.push_back(step);
  }
  return true;
}

bool ExpandWord(const std::wstring &word, std::wstring &out, std::wstring &error) {
  out.clear();
  size_t i = 0;
  while (i < word.size()) {
    if (word[i] != L'%') {
      out += word[i++];
      continue;
    }
    size_t close = word.find(L'%', i + 1);
    if (close == std::wstring::npos) {
      error = L"unclosed % in \"" + word + L"\"";
      return false;
    }
    std::wstring name = word.substr(i + 1, close - i - 1);
    i = close + 1;
    if (name.empty()) {
      out += L'%';
    } else if (name == L"n") {
      out += L'\n';
    } else if (name == L"t") {
      out += L'\t';
    } else if (name == L"q") {
      out += L'"';
    } else {
      wchar_t value[32768];
      DWORD n = 0;
      size_t mark = name.find(L'?');
      bool optional = mark != std::wstring::npos;
      std::wstring fallback = optional ? name.substr(mark + 1) : L"";
      if (optional) name.erase(mark);
      SetLastError(ERROR_SUCCESS);
      n = GetEnvironmentVariableW(name.c_str(), value, 32768);
      if (n == 0 && GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
        if (optional) {
          out += fallback;
          continue;
        }
        error = L"the variable %" + name + L"% is not set";
        return false;
      }
      out.append(value, n < 32768 ? n : 0);
    }
  }
  return true;
}
