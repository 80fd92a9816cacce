// System folders and the NT test on Wine's NT family.
#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "config/setup_log.h"
#include "gtest/gtest.h"
#include "sysinfo/sysinf.h"
#include "sysinfo/sysinf_sources.h"

namespace {

std::string environment(const char *name) {
  char value[MAX_PATH] = "";
  DWORD length = GetEnvironmentVariableA(name, value, sizeof value);
  return length > 0 && length < sizeof value ? std::string(value) : std::string();
}

std::string shellFolder(int csidl) {
  char path[MAX_PATH] = "";
  return SHGetSpecialFolderPathA(nullptr, path, csidl, FALSE) ? std::string(path) : std::string();
}

BOOL WINAPI shellWithoutFolders(HWND, LPSTR, int, BOOL) { return FALSE; }
BOOL WINAPI shellWithFolders(HWND, LPSTR path, int csidl, BOOL) {
  if (csidl != CSIDL_PROGRAM_FILES) return FALSE;
  std::strcpy(path, "S:\\Shell Programs");
  return TRUE;
}
UINT WINAPI windowsOnD(LPSTR buffer, UINT size) {
  const char folder[] = "D:\\WINDOWS";
  if (size < sizeof folder) return sizeof folder;
  std::memcpy(buffer, folder, sizeof folder);
  return sizeof folder - 1;
}

const char VERSION_KEY[] = "Software\\Microsoft\\Windows\\CurrentVersion";

// Saves the registry's ProgramFilesDir and the sources, and puts both back afterwards.
class ProgramFilesSources : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(RegOpenKeyExA(HKEY_LOCAL_MACHINE, VERSION_KEY, 0, KEY_READ | KEY_WRITE, &key_), ERROR_SUCCESS);
    DWORD size = sizeof saved_;
    savedFound_ = RegQueryValueExA(key_, "ProgramFilesDir", nullptr, &savedType_,
                                   reinterpret_cast<BYTE *>(saved_), &size) == ERROR_SUCCESS;
    savedSize_ = size;
    savedSources_ = SetSysInfSources(RealSysInfSources());
  }
  void TearDown() override {
    SetSysInfSources(savedSources_);
    if (savedFound_) {
      RegSetValueExA(key_, "ProgramFilesDir", 0, savedType_, reinterpret_cast<BYTE *>(saved_), savedSize_);
    }
    RegCloseKey(key_);
  }
  void setValue(DWORD type, const std::string &text) {
    ASSERT_EQ(RegSetValueExA(key_, "ProgramFilesDir", 0, type, reinterpret_cast<const BYTE *>(text.c_str()),
                             static_cast<DWORD>(text.size() + 1)),
              ERROR_SUCCESS);
  }
  void withoutShell() { SetSysInfSources(SysInfSources{shellWithoutFolders, GetWindowsDirectoryA}); }

  HKEY key_ = nullptr;
  char saved_[MAX_PATH + 2] = "";
  DWORD savedType_ = 0;
  DWORD savedSize_ = 0;
  bool savedFound_ = false;
  SysInfSources savedSources_{};
};

TEST(SysInf, IsWinNTOnTheNtFamily) { EXPECT_TRUE(SysInf::IsWinNT()); }

TEST_F(ProgramFilesSources, RealShellAnswer) {
  const std::string shell = shellFolder(CSIDL_PROGRAM_FILES);
  ASSERT_FALSE(shell.empty());
  EXPECT_STREQ(SysInf::GetProgramFilesPath(), shell.c_str());
  EXPECT_STREQ(SysInf::GetProgramFilesPath(), "C:\\Program Files");
}

TEST_F(ProgramFilesSources, ShellAnswerWinsOverTheRegistry) {
  // Wine's shell itself answers from ProgramFilesDir, so a shell with an answer of its own stands in.
  SetSysInfSources(SysInfSources{shellWithFolders, GetWindowsDirectoryA});
  setValue(REG_SZ, "X:\\Elsewhere");
  EXPECT_STREQ(SysInf::GetProgramFilesPath(), "S:\\Shell Programs");
}

TEST_F(ProgramFilesSources, RegistryValueAsStored) {
  withoutShell();
  setValue(REG_SZ, "D:\\Programme");
  EXPECT_STREQ(SysInf::GetProgramFilesPath(), "D:\\Programme");
  setValue(REG_EXPAND_SZ, "%SystemDrive%\\プログラム");
  EXPECT_STREQ(SysInf::GetProgramFilesPath(), "%SystemDrive%\\プログラム");  // not expanded
}

TEST_F(ProgramFilesSources, RegistryValueWithoutTerminator) {
  withoutShell();
  const char bytes[] = {'E', ':', '\\', 'P', 'F'};
  ASSERT_EQ(RegSetValueExA(key_, "ProgramFilesDir", 0, REG_BINARY, reinterpret_cast<const BYTE *>(bytes),
                           sizeof bytes),
            ERROR_SUCCESS);
  EXPECT_STREQ(SysInf::GetProgramFilesPath(), "E:\\PF");
}

TEST_F(ProgramFilesSources, HardWiredOnTheWindowsDrive) {
  withoutShell();
  ASSERT_EQ(RegDeleteValueA(key_, "ProgramFilesDir"), ERROR_SUCCESS);
  // The real Windows folder of the prefix is on C:.
  EXPECT_STREQ(SysInf::GetProgramFilesPath(), "C:\\Program Files");
  SetSysInfSources(SysInfSources{shellWithoutFolders, windowsOnD});
  EXPECT_STREQ(SysInf::GetProgramFilesPath(), "D:\\Program Files");
  // An empty value is no folder either.
  setValue(REG_SZ, "");
  EXPECT_STREQ(SysInf::GetProgramFilesPath(), "D:\\Program Files");
}

TEST_F(ProgramFilesSources, TextIsReplacedByTheNextCall) {
  withoutShell();
  setValue(REG_SZ, "D:\\First");
  const char *view = SysInf::GetProgramFilesPath();
  EXPECT_STREQ(view, "D:\\First");
  setValue(REG_SZ, "D:\\Second");
  const char *next = SysInf::GetProgramFilesPath();
  EXPECT_STREQ(next, "D:\\Second");
}

TEST(SysInf, ProgramsAndDesktopByTheAllUsersFlag) {
  // Wine's profile layout, as its environment describes it.
  const std::string appData = environment("APPDATA");
  const std::string programData = environment("ProgramData");
  const std::string profile = environment("USERPROFILE");
  const std::string publicFolder = environment("PUBLIC");
  ASSERT_FALSE(appData.empty());
  ASSERT_FALSE(programData.empty());
  ASSERT_FALSE(profile.empty());
  ASSERT_FALSE(publicFolder.empty());

  char folder[MAX_PATH];
  ASSERT_TRUE(SysInf::GetProgramsPath(false, folder));
  EXPECT_STREQ(folder, (appData + "\\Microsoft\\Windows\\Start Menu\\Programs").c_str());
  ASSERT_TRUE(SysInf::GetProgramsPath(true, folder));
  EXPECT_STREQ(folder, (programData + "\\Microsoft\\Windows\\Start Menu\\Programs").c_str());
  ASSERT_TRUE(SysInf::GetDesktopPath(false, folder));
  EXPECT_STREQ(folder, (profile + "\\Desktop").c_str());
  ASSERT_TRUE(SysInf::GetDesktopPath(true, folder));
  EXPECT_STREQ(folder, (publicFolder + "\\Desktop").c_str());
}

std::string readFile(const char *name) {
  std::string text;
  FILE *file = std::fopen(name, "rb");
  if (file == nullptr) return text;
  char buffer[256];
  size_t count;
  while ((count = std::fread(buffer, 1, sizeof buffer, file)) > 0) text.append(buffer, count);
  std::fclose(file);
  return text;
}

TEST(SysInf, ProgramsPathLeavesItsStepsInTheSetupLog) {
  // The log writes into the current folder: one of this test's own.
  char previous[MAX_PATH] = "";
  GetCurrentDirectoryA(sizeof previous, previous);
  ASSERT_TRUE(CreateDirectoryA("C:\\setuplog_programs", nullptr));
  ASSERT_TRUE(SetCurrentDirectoryA("C:\\setuplog_programs"));
  setupLog.enabled = true;

  char folder[MAX_PATH];
  EXPECT_TRUE(SysInf::GetProgramsPath(true, folder));
  SysInfSources real = SetSysInfSources(SysInfSources{shellWithoutFolders, GetWindowsDirectoryA});
  EXPECT_FALSE(SysInf::GetProgramsPath(false, folder));
  EXPECT_FALSE(SysInf::GetDesktopPath(true, folder));  // logs nothing
  SetSysInfSources(real);

  setupLog.enabled = false;
  EXPECT_EQ(readFile("setuplog.txt"),
            "--- GetProgramsPath()\r\n--- exit GetProgramsPath()\r\n"
            "--- GetProgramsPath()\r\n--- failed: GetProgramsPath()\r\n");
  SetCurrentDirectoryA(previous);
}

}  // namespace
