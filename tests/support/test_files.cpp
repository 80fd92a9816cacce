#include "tests/support/test_files.h"

#include <windows.h>

#include "gtest/gtest.h"

std::string PrefixDosPath() {
  char unixPath[1024] = {};
  DWORD length = GetEnvironmentVariableA("WINEPREFIX", unixPath, sizeof(unixPath));
  EXPECT_GT(length, 0u) << "WINEPREFIX is not set: run the test through tools/winerun.sh";
  if (length == 0 || length >= sizeof(unixPath)) return std::string();
  std::string path = std::string("Z:") + unixPath;
  for (char &c : path) {
    if (c == '/') c = '\\';
  }
  while (!path.empty() && path.back() == '\\') path.pop_back();
  return path;
}

std::string DriveFolder(char letter) { return PrefixDosPath() + "\\drives\\" + std::string(1, letter); }

void WriteBytes(const std::string &path, const std::string &bytes) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot write " << path << ", error " << GetLastError();
  DWORD written = 0;
  BOOL ok = bytes.empty() || WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  EXPECT_TRUE(ok) << path;
  EXPECT_EQ(written, bytes.size()) << path;
}

std::string ReadBytes(const std::string &path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string bytes;
  char chunk[65536];
  DWORD got = 0;
  while (ReadFile(file, chunk, sizeof chunk, &got, nullptr) && got > 0) bytes.append(chunk, got);
  CloseHandle(file);
  return bytes;
}

bool Exists(const std::string &path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

bool IsFolder(const std::string &path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void MakeFolders(const std::string &folder) {
  std::string path;
  for (size_t i = 0; i <= folder.size(); ++i) {
    if (i == folder.size() || folder[i] == '\\') {
      if (!path.empty() && path.back() != ':') CreateDirectoryA(path.c_str(), nullptr);
    }
    if (i < folder.size()) path += folder[i];
  }
  EXPECT_TRUE(IsFolder(folder)) << "cannot make " << folder;
}

void RemoveTree(const std::string &folder) {
  std::string base = folder;
  if (!base.empty() && base.back() == '\\') base.pop_back();
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((base + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = base + "\\" + name;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(base.c_str());
}
