#include "tests/register/register_fixture.h"

#include <shlobj.h>

#include "tests/register/link_reader.h"

bool LoadInstInf(InstSettings &settings, const std::string &folder, const std::string &text) {
  std::string path = folder + "\\inst.inf";
  WriteBytes(path, text);
  InstTypeList types;
  return settings.loadInstInf(path.c_str(), types) == 0;
}

std::string ShellFolder(int csidl) {
  char folder[MAX_PATH] = {};
  if (!SHGetSpecialFolderPathA(nullptr, folder, csidl, FALSE)) return std::string();
  return folder;
}



std::vector<std::string> ListFiles(const std::string &folder, const char *pattern) {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\" + pattern).c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return names;
}

bool RegText(const std::string &key, const char *name, std::string &text) {
  text.clear();
  HKEY handle = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  char data[2048] = {};
  DWORD size = sizeof data - 1;
  DWORD type = 0;
  bool found = RegQueryValueExA(handle, name, nullptr, &type, reinterpret_cast<BYTE *>(data), &size) == ERROR_SUCCESS &&
               type == REG_SZ;
  RegCloseKey(handle);
  if (found) text = data;
  return found;
}

bool KeyWriteTime(const std::string &key, ULONGLONG &time) {
  HKEY handle = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return false;
  FILETIME written = {};
  bool known = RegQueryInfoKeyA(handle, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                                nullptr, &written) == ERROR_SUCCESS;
  RegCloseKey(handle);
  time = (static_cast<ULONGLONG>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
  return known;
}

void DeleteKey(const std::string &key) { RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str()); }

ScratchFolder::ScratchFolder(const std::string &path) : path_(path) {
  RemoveTree(path_);
  MakeFolders(path_);
}

ScratchFolder::~ScratchFolder() { RemoveTree(path_); }
