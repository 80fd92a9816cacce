#include "tests/app/app_fixture.h"

#include <shellapi.h>

#include <cstdlib>

#include "gtest/gtest.h"
#include "framework/win_app.h"
#include "tests/support/dialog_driver.h"

namespace fixture {









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
