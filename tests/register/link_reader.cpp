#include "tests/register/link_reader.h"

#include <windows.h>
#include <objbase.h>
#include <shlobj.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {
std::string unixToZ(const char *unixPath) {
  std::string path = std::string("Z:") + unixPath;
  for (char &c : path)
    if (c == '/') c = '\\';
  while (path.size() > 3 && path.back() == '\\') path.pop_back();
  return path;
}
}  // namespace

LinkInfo ReadLink(const std::string &linkPath) {
  LinkInfo info;
  std::string bytes = ReadFileBytes(linkPath);
  if (bytes.size() >= 0x40) {
    const unsigned char *b = reinterpret_cast<const unsigned char *>(bytes.data()) + 0x3C;
    info.showCommand = static_cast<int>(b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<unsigned>(b[3]) << 24));
  }
  HRESULT init = CoInitialize(nullptr);
  IShellLinkA *link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                 reinterpret_cast<void **>(&link)))) {
    IPersistFile *file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void **>(&file)))) {
      WCHAR wide[MAX_PATH] = {};
      MultiByteToWideChar(CP_ACP, 0, linkPath.c_str(), -1, wide, MAX_PATH);
      if (SUCCEEDED(file->Load(wide, STGM_READ))) {
        info.loaded = true;
        char text[1024] = {};
        if (SUCCEEDED(link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH))) info.target = text;
        text[0] = '\0';
        if (SUCCEEDED(link->GetWorkingDirectory(text, sizeof text))) info.workingFolder = text;
        text[0] = '\0';
        if (SUCCEEDED(link->GetDescription(text, sizeof text))) info.description = text;
        text[0] = '\0';
        if (SUCCEEDED(link->GetArguments(text, sizeof text))) info.arguments = text;
      }
      file->Release();
    }
    link->Release();
  }
  if (SUCCEEDED(init)) CoUninitialize();
  return info;
}

std::string PrefixPath() {
  const char *prefix = std::getenv("WINEPREFIX");
  return prefix ? unixToZ(prefix) : std::string();
}

std::string HomePath() {
  // Wine keeps HOME out of the Windows environment and hands it on as "\??\Z:\home\...".
  const char *home = std::getenv("WINEHOMEDIR");
  if (home != nullptr) {
    std::string path = home;
    if (path.compare(0, 4, "\\??\\") == 0) path.erase(0, 4);
    while (path.size() > 3 && path.back() == '\\') path.pop_back();
    return path;
  }
  home = std::getenv("HOME");
  return home ? unixToZ(home) : std::string();
}

bool FileExists(const std::string &path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool FolderExists(const std::string &path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string ReadFileBytes(const std::string &path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::string();
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

