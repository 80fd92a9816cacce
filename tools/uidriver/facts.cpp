#include "tools/uidriver/facts.h"

#include <objbase.h>
#include <shlobj.h>

#include <algorithm>

#include "tools/uidriver/text.h"

bool PathIsFile(const std::wstring &path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool PathIsFolder(const std::wstring &path) {
  DWORD a = GetFileAttributesW(path.c_str());
  return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY);
}

bool ReadWholeFile(const std::wstring &path, std::string &bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                            nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  bytes.clear();
  char buffer[65536];
  DWORD got = 0;
  bool ok = true;
  while ((ok = ReadFile(file, buffer, sizeof buffer, &got, nullptr) != FALSE) && got > 0) bytes.append(buffer, got);
  CloseHandle(file);
  return ok;
}

bool SameContents(const std::wstring &a, const std::wstring &b, std::wstring &difference) {
  std::string x, y;
  if (!ReadWholeFile(a, x)) {
    difference = L"cannot read " + a;
    return false;
  }
  if (!ReadWholeFile(b, y)) {
    difference = L"cannot read " + b;
    return false;
  }
  if (x == y) return true;
  size_t at = 0;
  while (at < x.size() && at < y.size() && x[at] == y[at]) ++at;
  difference = std::to_wstring(x.size()) + L" and " + std::to_wstring(y.size()) + L" bytes, first difference at byte " +
               std::to_wstring(at);
  return false;
}

namespace {

void walk(const std::wstring &root, const std::wstring &relative, std::vector<std::wstring> &lines) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((root + relative + L"*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return;
  std::vector<WIN32_FIND_DATAW> entries;
  do {
    std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") entries.push_back(found);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  std::sort(entries.begin(), entries.end(),
            [](const WIN32_FIND_DATAW &l, const WIN32_FIND_DATAW &r) { return lstrcmpW(l.cFileName, r.cFileName) < 0; });
  for (const auto &e : entries) {
    std::wstring name = relative + e.cFileName;
    if (e.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      lines.push_back(name + L"\\");
      walk(root, name + L"\\", lines);
    } else {
      ULONGLONG size = (static_cast<ULONGLONG>(e.nFileSizeHigh) << 32) | e.nFileSizeLow;
      std::wstring line = name + L"  " + std::to_wstring(size);
      if (e.dwFileAttributes & FILE_ATTRIBUTE_READONLY) line += L"  read-only";
      lines.push_back(line);
    }
  }
}

}  // namespace

std::vector<std::wstring> ListTree(const std::wstring &folder) {
  std::vector<std::wstring> lines;
  std::wstring root = folder;
  if (!root.empty() && root.back() != L'\\') root += L'\\';
  walk(root, L"", lines);
  return lines;
}

HKEY RootKey(const std::wstring &name) {
  if (name == L"HKLM" || name == L"HKEY_LOCAL_MACHINE") return HKEY_LOCAL_MACHINE;
  if (name == L"HKCU" || name == L"HKEY_CURRENT_USER") return HKEY_CURRENT_USER;
  return nullptr;
}

bool RegistryKeyExists(HKEY root, const std::wstring &key) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  RegCloseKey(handle);
  return true;
}

namespace {

std::wstring dataText(DWORD type, const std::vector<BYTE> &data, DWORD size) {
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    std::wstring text(reinterpret_cast<const wchar_t *>(data.data()), size / sizeof(wchar_t));
    while (!text.empty() && text.back() == L'\0') text.pop_back();
    return text;
  }
  if (type == REG_DWORD && size == 4) return L"dword " + std::to_wstring(*reinterpret_cast<const DWORD *>(data.data()));
  std::wstring hex = L"type " + std::to_wstring(type) + L" hex";
  wchar_t two[4];
  for (DWORD i = 0; i < size; ++i) {
    wsprintfW(two, L" %02x", data[i]);
    hex += two;
  }
  return hex;
}

}  // namespace

bool ReadRegistryString(HKEY root, const std::wstring &key, const std::wstring &name, std::wstring &value,
                        std::wstring &error) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) {
    error = L"the key " + key + L" does not exist";
    return false;
  }
  DWORD type = 0, size = 0;
  LONG r = RegQueryValueExW(handle, name.c_str(), nullptr, &type, nullptr, &size);
  std::vector<BYTE> data(size + sizeof(wchar_t));
  if (r == ERROR_SUCCESS) r = RegQueryValueExW(handle, name.c_str(), nullptr, &type, data.data(), &size);
  RegCloseKey(handle);
  if (r != ERROR_SUCCESS) {
    error = L"the key " + key + L" has no value \"" + name + L"\"";
    return false;
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) {
    error = L"the value \"" + name + L"\" is not a string but " + dataText(type, data, size);
    return false;
  }
  value = dataText(type, data, size);
  return true;
}

bool ListRegistryValues(HKEY root, const std::wstring &key, std::vector<std::wstring> &lines, std::wstring &error) {
  HKEY handle = nullptr;
  if (RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) {
    error = L"the key " + key + L" does not exist";
    return false;
  }
  for (DWORD i = 0;; ++i) {
    wchar_t name[16384];
    DWORD nameLength = 16384, type = 0, size = 0;
    if (RegEnumValueW(handle, i, name, &nameLength, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) break;
    std::vector<BYTE> data(size + sizeof(wchar_t));
    nameLength = 16384;
    RegEnumValueW(handle, i, name, &nameLength, nullptr, &type, data.data(), &size);
    lines.push_back(std::wstring(name) + L" = " + dataText(type, data, size));
  }
  RegCloseKey(handle);
  return true;
}

bool ReadShortcut(const std::wstring &path, ShortcutFacts &facts, std::wstring &error) {
  if (!PathIsFile(path)) {
    error = L"no shortcut " + path;
    return false;
  }
  HRESULT init = CoInitialize(nullptr);
  IShellLinkW *link = nullptr;
  IPersistFile *file = nullptr;
  bool ok = false;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void **>(&link))) &&
      SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file))) &&
      SUCCEEDED(file->Load(path.c_str(), STGM_READ))) {
    wchar_t text[INFOTIPSIZE] = {};
    link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
    facts.target = text;
    text[0] = 0;
    link->GetArguments(text, INFOTIPSIZE);
    facts.arguments = text;
    text[0] = 0;
    link->GetWorkingDirectory(text, MAX_PATH);
    facts.folder = text;
    text[0] = 0;
    link->GetDescription(text, INFOTIPSIZE);
    facts.description = text;
    link->GetShowCmd(&facts.showCommand);
    ok = true;
  } else {
    error = L"cannot read the shortcut " + path;
  }
  if (file) file->Release();
  if (link) link->Release();
  if (SUCCEEDED(init)) CoUninitialize();
  return ok;
}

namespace {

bool leadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

bool separator(unsigned char b) {
  return b == '\t' || b == '\n' || b == '\r' || b == '"' || b == ',' || b == '=' || b == '{' || b == '}' || b == 0;
}

}  // namespace

bool ReadInfValues(const std::wstring &path, const std::wstring &key, std::vector<std::wstring> &values) {
  std::string bytes;
  if (!ReadWholeFile(path, bytes)) return false;
  values.clear();
  std::string token, currentKey;
  bool quoted = false, comment = false, pending = false, expectingKey = true;
  for (size_t i = 0; i < bytes.size(); ++i) {
    unsigned char b = static_cast<unsigned char>(bytes[i]);
    if (b == 0x1A) break;
    if (b == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') continue;
    if (!pending) {
      if (b == ';') {
        token.clear();
        comment = false;
        expectingKey = true;
        continue;
      }
      if (b == '#') {
        comment = true;
        continue;
      }
      if (b == '\n') comment = false;
      if (b == '"') quoted = !quoted;
      if (b == ' ' && !quoted) b = '\t';
    }
    if (comment) continue;
    if (pending) {
      token += static_cast<char>(b);
      pending = false;
    } else if (leadByte(b)) {
      token += static_cast<char>(b);
      pending = true;
    } else if (separator(b)) {
      if (!token.empty()) {
        if (expectingKey) {
          currentKey = token;
          expectingKey = false;
        } else if (WideFromCp932(currentKey) == key) {
          values.push_back(WideFromCp932(token));
        }
        token.clear();
      }
    } else if (token.size() < 1023) {
      token += static_cast<char>(b);
    }
  }
  return true;
}
