#include <windows.h>

#include <string>

#include "config/setup_log.h"
#include "gtest/gtest.h"
#include "tests/config/temp_folder.h"

namespace {

// The log writes into the current directory: each test runs in a fresh folder of its own.
class SetupLogTest : public testing::Test {
 protected:
  void SetUp() override {
    GetCurrentDirectoryA(sizeof previous, previous);
    ASSERT_TRUE(SetCurrentDirectoryA(folder.path().c_str()));
    setupLog.enabled = true;
  }
  void TearDown() override {
    setupLog.enabled = false;
    SetCurrentDirectoryA(previous);
  }
  std::string log() const { return readBytes(folder.file("setuplog.txt")); }

  TempFolder folder;
  char previous[MAX_PATH] = {};
};

void firstRun() {
  setupLog.print("ファイルコピー開始\n");
  setupLog.print("ファイルコピー完了\n");
  setupLog.print("--- finishInst()\n");
  setupLog.print("*");
  setupLog.print("*\n");
}

void secondRun() {
  setupLog.print("--- registerStartMenu(%s,%s,%s,%s)\n", "100%", "%s%d", "ベンダー", "");
  setupLog.print("メニュー項目の追加(%d)\n", -3);
  setupLog.print("1");
  setupLog.print("-");
}

}  // namespace

TEST_F(SetupLogTest, RunsAppendInOneFileWithCrLf) {
  firstRun();
  const std::string afterFirst = "ファイルコピー開始\r\nファイルコピー完了\r\n--- finishInst()\r\n**\r\n";
  EXPECT_EQ(log(), afterFirst);
  secondRun();
  EXPECT_EQ(log(), afterFirst + "--- registerStartMenu(100%,%s%d,ベンダー,)\r\nメニュー項目の追加(-3)\r\n1-");
}

TEST_F(SetupLogTest, LongNoteIsCutTo1023Bytes) {
  const std::string note(2000, 'n');
  setupLog.print("%s", note.c_str());
  EXPECT_EQ(log(), note.substr(0, 1023));
  setupLog.print("[%s]\n", std::string(1020, 'm').c_str());  // exactly 1023 bytes: kept whole
  EXPECT_EQ(log(), note.substr(0, 1023) + "[" + std::string(1020, 'm') + "]\r\n");
}

TEST_F(SetupLogTest, SwitchedOffWritesNothing) {
  setupLog.enabled = false;
  firstRun();
  secondRun();
  EXPECT_FALSE(fileExists(folder.file("setuplog.txt")));
}

TEST_F(SetupLogTest, UnwritableLogIsSilent) {
  // A folder in the log's place: the file cannot be opened, and the note is simply lost.
  ASSERT_TRUE(CreateDirectoryA(folder.file("setuplog.txt").c_str(), nullptr));
  firstRun();
  EXPECT_EQ(GetFileAttributesA(folder.file("setuplog.txt").c_str()) & FILE_ATTRIBUTE_DIRECTORY,
            static_cast<DWORD>(FILE_ATTRIBUTE_DIRECTORY));
}
