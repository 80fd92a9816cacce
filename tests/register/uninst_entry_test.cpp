// The Uninstall entry, read back through the registry and listed by Wine's own uninstaller.
#include <windows.h>

#include <string>

#include "app/inst_settings.h"
#include "gtest/gtest.h"
#include "tests/register/register_fixture.h"
#include "tests/support/responder.h"

namespace {
const char kUninstallRoot[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

struct RegValue {
  bool present = false;
  DWORD type = 0;
  std::string data;
};

RegValue readValue(const std::string &key, const char *name) {
  RegValue value;
  HKEY handle = nullptr;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &handle) != ERROR_SUCCESS) return value;
  char data[1024] = {};
  DWORD size = sizeof data;
  if (RegQueryValueExA(handle, name, nullptr, &value.type, reinterpret_cast<BYTE *>(data), &size) == ERROR_SUCCESS) {
    value.present = true;
    value.data.assign(data, size);
  }
  RegCloseKey(handle);
  return value;
}

std::string text(const RegValue &value) {
  std::string data = value.data;
  while (!data.empty() && data.back() == '\0') data.pop_back();
  return data;
}


// Runs a program of the prefix and returns what it writes to its standard output (and error).
std::string runAndCapture(const std::string &commandLine) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE readEnd = nullptr, writeEnd = nullptr;
  if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return std::string();
  SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA start = {};
  start.cb = sizeof start;
  start.dwFlags = STARTF_USESTDHANDLES;
  start.hStdOutput = writeEnd;
  start.hStdError = writeEnd;
  start.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  PROCESS_INFORMATION process = {};
  std::string command = commandLine;
  BOOL started = CreateProcessA(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &start, &process);
  CloseHandle(writeEnd);
  std::string output;
  if (started) {
    // Bounded: read what arrives until the program has ended and the pipe is drained, 30 s at most.
    DWORD deadline = GetTickCount() + 30000;
    for (;;) {
      DWORD available = 0;
      if (!PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr)) break;
      if (available > 0) {
        char buffer[4096];
        DWORD got = 0;
        if (!ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr)) break;
        output.append(buffer, got);
        continue;
      }
      if (WaitForSingleObject(process.hProcess, 50) == WAIT_OBJECT_0) {
        if (PeekNamedPipe(readEnd, nullptr, 0, nullptr, &available, nullptr) && available > 0) continue;
        break;
      }
      if (static_cast<LONG>(GetTickCount() - deadline) > 0) {
        ADD_FAILURE() << "still running after 30 s: " << commandLine;
        TerminateProcess(process.hProcess, 1);
        break;
      }
    }
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
  }
  CloseHandle(readEnd);
  return output;
}

class UninstEntryTest : public testing::Test {
 protected:
  void SetUp() override { source_ = new ScratchFolder("C:\\source"); }
  void TearDown() override { delete source_; }
  bool load(const std::string &infText) { return LoadInstInf(settings, source_->path(), infText); }

  ScratchFolder *source_ = nullptr;
  InstSettings settings;
};

TEST_F(UninstEntryTest, KeyIsVendorHyphenAppAndItsValuesReadBackKeepingWhatWasThere) {
  const std::string key = std::string(kUninstallRoot) + "Velk-Game";
  ASSERT_TRUE(load("VenderName = \"Velk\";\nAppName = \"Game\";\nAppNameW = \"ヴェルクの冒険\";\n"
                   "Uninstaller = \"uninst.exe\";\n"));
  // A number value and a text value already under the key.
  HKEY handle = nullptr;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, key.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &handle, nullptr),
            ERROR_SUCCESS);
  DWORD size = 12345;
  RegSetValueExA(handle, "EstimatedSize", 0, REG_DWORD, reinterpret_cast<const BYTE *>(&size), sizeof size);
  RegSetValueExA(handle, "Publisher", 0, REG_SZ, reinterpret_cast<const BYTE *>("Velk Soft"), 10);
  RegCloseKey(handle);

  EXPECT_TRUE(settings.registerUninstInfo("C:\\Velk\\Game\\"));

  RegValue name = readValue(key, "DisplayName");
  EXPECT_EQ(name.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(text(name), "ヴェルクの冒険");
  RegValue command = readValue(key, "UninstallString");
  EXPECT_EQ(command.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(text(command), "C:\\Velk\\Game\\uninst.exe");
  RegValue kept = readValue(key, "EstimatedSize");
  ASSERT_TRUE(kept.present);
  EXPECT_EQ(kept.type, static_cast<DWORD>(REG_DWORD));
  ASSERT_EQ(kept.data.size(), sizeof(DWORD));
  EXPECT_EQ(*reinterpret_cast<const DWORD *>(kept.data.data()), 12345u);
  EXPECT_EQ(text(readValue(key, "Publisher")), "Velk Soft");
  DeleteKey(key);
}

TEST_F(UninstEntryTest, MissingNamesLeaveTheirPartEmpty) {
  struct Case {
    const char *inf;
    const char *keyName;
    const char *uninstallString;
  } cases[] = {
      {"AppName = \"Game\";\nAppNameW = \"名前\";\nUninstaller = \"uninst.exe\";\n", "-Game", "C:\\Velk\\Game\\uninst.exe"},
      {"VenderName = \"Velk\";\nAppNameW = \"名前\";\nUninstaller = \"uninst.exe\";\n", "Velk-", "C:\\Velk\\Game\\uninst.exe"},
      // Without an uninstaller name the command is the install folder alone.
      {"VenderName = \"Velk\";\nAppName = \"Game\";\nAppNameW = \"名前\";\n", "Velk-Game", "C:\\Velk\\Game\\"},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.keyName);
    InstSettings fresh;
    ASSERT_TRUE(LoadInstInf(fresh, source_->path(), c.inf));
    fresh.registerUninstInfo("C:\\Velk\\Game\\");
    const std::string key = std::string(kUninstallRoot) + c.keyName;
    EXPECT_EQ(text(readValue(key, "DisplayName")), "名前");
    EXPECT_EQ(text(readValue(key, "UninstallString")), c.uninstallString);
    DeleteKey(key);
  }
}

TEST_F(UninstEntryTest, WinesUninstallerListsTheEntryByItsDisplayName) {
  ASSERT_TRUE(load("VenderName = \"Velk\";\nAppName = \"Game\";\nAppNameW = \"ヴェルクの冒険\";\n"
                   "Uninstaller = \"uninst.exe\";\n"));
  EXPECT_EQ(runAndCapture("uninstaller.exe --list").find("Velk-Game|||"), std::string::npos);
  settings.registerUninstInfo("C:\\Velk\\Game\\");
  std::string listed = runAndCapture("uninstaller.exe --list");
  // One line per entry: the key name, "|||", the display name, in the console's code page (cp932 here).
  EXPECT_NE(listed.find("Velk-Game|||ヴェルクの冒険\r\n"), std::string::npos) << Utf8FromCp932(listed);
  DeleteKey(std::string(kUninstallRoot) + "Velk-Game");
}
}  // namespace
