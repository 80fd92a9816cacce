#include <windows.h>

#include <string>

#include "gtest/gtest.h"
#include "register/shortcut_maker.h"
#include "tests/register/link_reader.h"

namespace {
const char kFolder[] = "C:\\linktest";

class ShortcutMakerTest : public testing::Test {
 protected:
  void SetUp() override {
    RemoveTree(kFolder);
    CreateDirectoryA(kFolder, nullptr);
    CreateDirectoryA("C:\\linktest\\ゲーム", nullptr);
    HANDLE f = CreateFileA("C:\\linktest\\ゲーム\\start.exe", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    CloseHandle(f);
  }
  void TearDown() override { RemoveTree(kFolder); }
};

TEST_F(ShortcutMakerTest, SavedLinkReadsBackWithEveryProperty) {
  struct Case {
    const char *file;
    const char *arguments;
    int showCommand;
  } cases[] = {
      {"C:\\linktest\\起動.lnk", nullptr, SW_SHOWNORMAL},
      {"C:\\linktest\\other.lnk", "-window", SW_SHOWMAXIMIZED},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.file);
    EXPECT_TRUE(MakeShortCut(c.file, "C:\\linktest\\ゲーム\\start.exe", "ゲームを始めます", c.arguments,
                             "C:\\linktest\\ゲーム\\", nullptr, 0, c.showCommand));
    LinkInfo link = ReadLink(c.file);
    ASSERT_TRUE(link.loaded);
    EXPECT_EQ(link.target, "C:\\linktest\\ゲーム\\start.exe");
    EXPECT_EQ(link.workingFolder, "C:\\linktest\\ゲーム\\");
    EXPECT_EQ(link.description, "ゲームを始めます");
    EXPECT_EQ(link.arguments, c.arguments ? c.arguments : "");
    EXPECT_EQ(link.showCommand, c.showCommand);
  }
}

TEST_F(ShortcutMakerTest, UnsavableLinkStillReportsTheObjectsObtained) {
  // The folder of the link does not exist: nothing is written, and that is not reported.
  EXPECT_TRUE(MakeShortCut("C:\\linktest\\missing\\x.lnk", "C:\\linktest\\ゲーム\\start.exe", "", nullptr,
                           "C:\\linktest\\ゲーム\\", nullptr, 0, SW_SHOWNORMAL));
  EXPECT_FALSE(FileExists("C:\\linktest\\missing\\x.lnk"));
}

TEST_F(ShortcutMakerTest, WorksOnAThreadThatAlreadyEnteredTheComponentSystem) {
  ASSERT_TRUE(SUCCEEDED(CoInitialize(nullptr)));
  EXPECT_TRUE(MakeShortCut("C:\\linktest\\again.lnk", "C:\\linktest\\ゲーム\\start.exe", "d", nullptr,
                           "C:\\linktest\\ゲーム\\", nullptr, 0, SW_SHOWNORMAL));
  // Our own entry is still balanced: the maker left exactly the one it added.
  CoUninitialize();
  EXPECT_TRUE(ReadLink("C:\\linktest\\again.lnk").loaded);
}
}  // namespace
