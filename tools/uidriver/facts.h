#pragma once
// What an installation leaves behind, read from the Windows side: files, registry values,
// shortcuts and inf values. The driver checks and shows them with these.
#include <windows.h>

#include <string>
#include <vector>

bool PathIsFile(const std::wstring &path);
bool PathIsFolder(const std::wstring &path);
bool ReadWholeFile(const std::wstring &path, std::string &bytes);
bool SameContents(const std::wstring &a, const std::wstring &b, std::wstring &difference);

// Every file below folder as "relative\path  size", sorted; folders as "relative\path\".
std::vector<std::wstring> ListTree(const std::wstring &folder);

// "HKLM" or "HKCU" (also the long names); null for anything else.
HKEY RootKey(const std::wstring &name);
bool RegistryKeyExists(HKEY root, const std::wstring &key);
// A string value (REG_SZ or REG_EXPAND_SZ).
bool ReadRegistryString(HKEY root, const std::wstring &key, const std::wstring &name, std::wstring &value,
                        std::wstring &error);
// Every value of a key as "name = data".
bool ListRegistryValues(HKEY root, const std::wstring &key, std::vector<std::wstring> &lines, std::wstring &error);

struct ShortcutFacts {
  std::wstring target;
  std::wstring arguments;
  std::wstring folder;
  std::wstring description;
  int showCommand = 0;
};
bool ReadShortcut(const std::wstring &path, ShortcutFacts &facts, std::wstring &error);

// The values of an inf file (cp932, the installer's syntax), in file order per key.
bool ReadInfValues(const std::wstring &path, const std::wstring &key, std::vector<std::wstring> &values);
