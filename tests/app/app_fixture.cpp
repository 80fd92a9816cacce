#include "tests/app/app_fixture.h"

#include <shellapi.h>

#include <cstdlib>

#include "gtest/gtest.h"
#include "framework/win_app.h"
#include "tests/support/dialog_driver.h"

namespace fixture {

std::string PrefixDosPath() {
  char unixPath[1024] = {};
  DWORD length = GetEnvironmentVariableA("WINEPREFIX", unixPath, sizeof(unixPath));
  EXPECT_GT(length, 0u) << "WINEPREFIX is not set";
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
  ASSERT_NE(file, INVALID_HANDLE_VALUE) << "cannot write " << path;
  DWORD written = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  ASSERT_EQ(written, bytes.size());
}

std::string ReadBytes(const std::string &path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return "<missing>";
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file, buffer, sizeof(buffer), &got, nullptr) && got > 0) bytes.append(buffer, got);
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
}

void RemoveTree(const std::string &folder) {
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      std::string name = found.cFileName;
      if (name == "." || name == "..") continue;
      std::string path = folder + "\\" + name;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        DeleteFileA(path.c_str());
      }
    } while (FindNextFileA(search, &found));
    FindClose(search);
  }
  RemoveDirectoryA(folder.c_str());
}

void FreshFolder(const std::string &folder) {
  RemoveTree(folder);
  MakeFolders(folder);
}

void WriteInstInf(const std::string &folder, const std::string &text) {
  MakeFolders(folder);
  std::string path = folder;
  if (path.back() != '\\') path += '\\';
  WriteBytes(path + "inst.inf", text);
}

void SetRegistered(const std::string &vender, const std::string &app, const std::string &folder) {
  std::string key = "SOFTWARE\\" + vender + "\\" + app;
  if (folder.empty()) {
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, key.c_str());
    return;
  }
  HKEY handle = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle,
                            nullptr),
            ERROR_SUCCESS);
  RegSetValueExA(handle, "setup_data", 0, REG_SZ, reinterpret_cast<const BYTE *>(folder.c_str()),
                 static_cast<DWORD>(folder.size() + 1));
  RegCloseKey(handle);
}

std::string RegisteredFolder(const std::string &vender, const std::string &app) {
  std::string key = "SOFTWARE\\" + vender + "\\" + app;
  char value[MAX_PATH] = {};
  DWORD size = sizeof(value);
  HKEY handle = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return std::string();
  LONG status = RegQueryValueExA(handle, "setup_data", nullptr, nullptr, reinterpret_cast<BYTE *>(value), &size);
  RegCloseKey(handle);
  return status == ERROR_SUCCESS ? std::string(value) : std::string();
}

namespace {
std::string DosPathOfUnix(const char *unixPath) {
  std::string path = std::string("Z:") + unixPath;
  for (char &c : path) {
    if (c == '/') c = '\\';
  }
  return path;
}
}  // namespace

StartedProgram::StartedProgram() : marker_("C:\\started_programs.txt") {
  DeleteFileA(marker_.c_str());
  SetEnvironmentVariableA("INST_TEST_MARKER", marker_.c_str());
}

StartedProgram::~StartedProgram() {
  SetEnvironmentVariableA("INST_TEST_MARKER", nullptr);
  DeleteFileA(marker_.c_str());
}

std::string StartedProgram::path() const { return DosPathOfUnix(APP_MARKER_EXE); }

void StartedProgram::Copy(const std::string &target) const {
  ASSERT_TRUE(CopyFileA(path().c_str(), target.c_str(), FALSE)) << "cannot copy the started program to " << target;
}

std::vector<std::string> StartedProgram::MarkerLines() const {
  std::vector<std::string> lines;
  std::string bytes = ReadBytes(marker_);
  if (bytes == "<missing>") return lines;
  size_t begin = 0;
  for (size_t end; (end = bytes.find('\n', begin)) != std::string::npos; begin = end + 1) {
    lines.push_back(bytes.substr(begin, end - begin));
  }
  return lines;
}

bool StartedProgram::WaitForLines(size_t count, DWORD timeoutMs) const {
  return driver::WaitUntil([&] { return MarkerLines().size() >= count; }, timeoutMs);
}

INT_PTR RunInstaller(CInstDlg &dialog, const std::vector<std::string> &args, const std::function<void()> &script,
                     DWORD closeTimeoutMs) {
  static char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::vector<std::string> texts(args);
  std::vector<char *> argv;
  argv.push_back(self);
  for (std::string &text : texts) argv.push_back(&text[0]);
  argv.push_back(nullptr);
  SetAppArgs(static_cast<int>(argv.size()) - 1, argv.data());
  INT_PTR result = driver::RunModal([&] { return dialog.DoModal(); }, script, closeTimeoutMs);
  SetAppArgs(0, nullptr);
  return result;
}

std::string MainCaption(const std::string &appNameW) { return appNameW + " インストーラー"; }

std::string SmallBitmap() {
  const int width = 4, height = 4, stride = 12;
  BITMAPFILEHEADER file = {};
  BITMAPINFOHEADER info = {};
  info.biSize = sizeof(info);
  info.biWidth = width;
  info.biHeight = height;
  info.biPlanes = 1;
  info.biBitCount = 24;
  info.biSizeImage = stride * height;
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info);
  file.bfSize = file.bfOffBits + info.biSizeImage;
  std::string bytes(reinterpret_cast<const char *>(&file), sizeof(file));
  bytes.append(reinterpret_cast<const char *>(&info), sizeof(info));
  bytes.append(info.biSizeImage, '\x7f');
  return bytes;
}

}  // namespace fixture
