// The start-menu group and its shortcuts, made in the prefix's real shell folders and read back.
#include <windows.h>
#include <shlobj.h>

#include <string>
#include <vector>

#include "app/inst_settings.h"
#include "config/setup_log.h"
#include "gtest/gtest.h"
#include "tests/register/link_reader.h"
#include "tests/register/register_fixture.h"
#include "tests/support/responder.h"

namespace {
const char kInstDir[] = "C:\\Velk\\Game\\";
const char kGroup[] = "Velk\\ヴェルクの冒険";

const char kThreeItems[] =
    "VenderName = \"Velk\";\n"
    "AppName = \"Game\";\n"
    "AppNameW = \"ヴェルクの冒険\";\n"
    "MenuItem = \"ゲーム開始\", \"説明書\", \"ソフト削除\";\n"
    "ゲーム開始 = \"game.exe\", \"ゲームを始めます\";\n"
    "説明書 = \"doc\\manual.txt\", \"説明書を読みます\";\n"
    "ソフト削除 = \"uninst.exe\", \"ゲームを削除します\";\n";

const char kNoItems[] =
    "VenderName = \"Velk\";\n"
    "AppName = \"Game\";\n"
    "AppNameW = \"ヴェルクの冒険\";\n";

struct Item {
  const char *name;
  const char *target;
  const char *description;
};
const Item kItems[] = {
    {"ゲーム開始", "game.exe", "ゲームを始めます"},
    {"説明書", "doc\\manual.txt", "説明書を読みます"},
    {"ソフト削除", "uninst.exe", "ゲームを削除します"},
};

void expectLink(const std::string &file, const std::string &target, const std::string &description) {
  SCOPED_TRACE(Utf8FromCp932(file));
  LinkInfo link = ReadLink(file);
  ASSERT_TRUE(link.loaded);
  EXPECT_EQ(link.target, target);
  EXPECT_EQ(link.workingFolder, kInstDir);
  EXPECT_EQ(link.description, description);
  EXPECT_EQ(link.arguments, "");
  EXPECT_EQ(link.showCommand, SW_SHOWNORMAL);
}

// The same file reached through the prefix's own folders on drive Z:, so not through a link to $HOME.
std::string insidePrefix(const std::string &cPath) { return PrefixPath() + "\\drive_c" + cPath.substr(2); }

class StartMenuTest : public testing::Test {
 protected:
  void SetUp() override {
    MakeFolders("C:\\Velk\\Game\\doc");
    for (const Item &item : kItems) WriteBytes(std::string(kInstDir) + item.target, "x");
    cleanShellFolders();
  }
  void TearDown() override {
    cleanShellFolders();
    RemoveTree("C:\\Velk");
  }
  static void cleanShellFolders() {
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) RemoveTree(ShellFolder(csidl) + "\\Velk");
    for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY})
      DeleteFileA((ShellFolder(csidl) + "\\ヴェルクの冒険.lnk").c_str());
  }

  InstSettings settings;
};

TEST_F(StartMenuTest, ThreeItemsInMenuOrderAndTheDesktopShortcutForTheFirstOnly) {
  struct Scope {
    bool allUsers;
    int programs, desktop, otherPrograms, otherDesktop;
  } scopes[] = {
      {false, CSIDL_PROGRAMS, CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_PROGRAMS, CSIDL_COMMON_DESKTOPDIRECTORY},
      {true, CSIDL_COMMON_PROGRAMS, CSIDL_COMMON_DESKTOPDIRECTORY, CSIDL_PROGRAMS, CSIDL_DESKTOPDIRECTORY},
  };
  ScratchFolder source("C:\\source");
  ASSERT_TRUE(LoadInstInf(settings, source.path(), kThreeItems));
  for (const Scope &scope : scopes) {
    SCOPED_TRACE(scope.allUsers ? "all users" : "current user");
    cleanShellFolders();
    settings.programGroupFolder.clear();
    settings.desktopShortcutPath.clear();
    settings.programIcons.push_back("left over from an earlier call");
    const std::string programs = ShellFolder(scope.programs);
    const std::string desktop = ShellFolder(scope.desktop);
    ASSERT_FALSE(programs.empty());
    ASSERT_FALSE(desktop.empty());

    EXPECT_TRUE(settings.registerStartMenu(kInstDir, kGroup, true, scope.allUsers));

    const std::string group = programs + "\\" + kGroup;
    EXPECT_EQ(settings.programGroupFolder, group);
    EXPECT_EQ(settings.groupExisted, programs);
    std::vector<std::string> expectedIcons;
    for (const Item &item : kItems) expectedIcons.push_back(group + "\\" + item.name + ".lnk");
    EXPECT_EQ(std::vector<std::string>(settings.programIcons.begin(), settings.programIcons.end()), expectedIcons);
    for (size_t i = 0; i < expectedIcons.size(); ++i)
      expectLink(expectedIcons[i], std::string(kInstDir) + kItems[i].target, kItems[i].description);

    EXPECT_EQ(settings.desktopShortcutPath, desktop + "\\ヴェルクの冒険.lnk");
    expectLink(settings.desktopShortcutPath, std::string(kInstDir) + "game.exe", "ゲームを始めます");
    EXPECT_EQ(ListFiles(desktop, "*.lnk"), std::vector<std::string>{"ヴェルクの冒険.lnk"});

    // Nothing in the other scope's folders.
    EXPECT_FALSE(FolderExists(ShellFolder(scope.otherPrograms) + "\\Velk"));
    EXPECT_TRUE(ListFiles(ShellFolder(scope.otherDesktop), "*.lnk").empty());

    // Everything lies in the prefix itself: nothing reached $HOME, and no menu entry was made for the host.
    EXPECT_TRUE(FileExists(insidePrefix(expectedIcons[0])));
    EXPECT_TRUE(FileExists(insidePrefix(settings.desktopShortcutPath)));
    const std::string home = HomePath();
    ASSERT_FALSE(home.empty());
    EXPECT_FALSE(FileExists(home + "\\Desktop\\ヴェルクの冒険.lnk"));
    EXPECT_FALSE(FolderExists(home + "\\.local\\share\\applications\\wine\\Programs\\Velk"));
    EXPECT_TRUE(ListFiles(home + "\\Desktop", "*.desktop").empty());
  }
}

TEST_F(StartMenuTest, WithoutDesktopChoiceNoDesktopShortcut) {
  ScratchFolder source("C:\\source");
  ASSERT_TRUE(LoadInstInf(settings, source.path(), kThreeItems));
  EXPECT_TRUE(settings.registerStartMenu(kInstDir, kGroup, false, false));
  EXPECT_EQ(settings.programIcons.size(), 3u);
  EXPECT_EQ(settings.desktopShortcutPath, "");
  EXPECT_TRUE(ListFiles(ShellFolder(CSIDL_DESKTOPDIRECTORY), "*.lnk").empty());
}

TEST_F(StartMenuTest, LogNumbersTheMenuItemsFromOne) {
  ScratchFolder source("C:\\source");
  ASSERT_TRUE(LoadInstInf(settings, source.path(), kThreeItems));
  char previous[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, previous);
  SetCurrentDirectoryA(source.path().c_str());
  setupLog.enabled = true;
  settings.registerStartMenu(kInstDir, kGroup, false, false);
  setupLog.enabled = false;
  SetCurrentDirectoryA(previous);
  std::string log = ReadFileBytes(source.path() + "\\setuplog.txt");
  EXPECT_EQ(log.find("--- registerStartMenu(C:\\Velk\\Game\\,Velk\\ヴェルクの冒険,false,false)\r\n"), 0u);
  size_t one = log.find("メニュー項目の追加(1)\r\n");
  size_t two = log.find("メニュー項目の追加(2)\r\n");
  size_t three = log.find("メニュー項目の追加(3)\r\n");
  ASSERT_NE(one, std::string::npos);
  ASSERT_NE(two, std::string::npos);
  ASSERT_NE(three, std::string::npos);
  EXPECT_LT(one, two);
  EXPECT_LT(two, three);
  EXPECT_EQ(log.find("メニュー項目の追加(4)"), std::string::npos);
  const std::string exitNote = "--- exit registerStartMenu()\r\n";
  ASSERT_GE(log.size(), exitNote.size());
  EXPECT_EQ(log.substr(log.size() - exitNote.size()), exitNote);
}

TEST_F(StartMenuTest, NoMenuItemStillMakesAndRecordsTheGroupButNoDesktopShortcut) {
  ScratchFolder source("C:\\source");
  ASSERT_TRUE(LoadInstInf(settings, source.path(), kNoItems));
  const std::string programs = ShellFolder(CSIDL_PROGRAMS);
  EXPECT_TRUE(settings.registerStartMenu(kInstDir, kGroup, true, false));
  EXPECT_EQ(settings.programGroupFolder, programs + "\\" + kGroup);
  EXPECT_TRUE(FolderExists(settings.programGroupFolder));
  EXPECT_EQ(settings.groupExisted, programs);
  EXPECT_TRUE(settings.programIcons.empty());
  EXPECT_EQ(settings.desktopShortcutPath, "");
  EXPECT_TRUE(ListFiles(ShellFolder(CSIDL_DESKTOPDIRECTORY), "*.lnk").empty());
}

TEST_F(StartMenuTest, GroupExistedTextIsTheDeepestFolderThatWasThere) {
  const std::string programs = ShellFolder(CSIDL_PROGRAMS);
  struct Case {
    const char *group;
    const char *madeBefore;  // below the Programs folder, or null
    std::string expectedExisted;
  } cases[] = {
      {kGroup, nullptr, programs},
      {kGroup, kGroup, programs + "\\" + kGroup},
      // Nested, ending in a character whose second byte is a backslash's code.
      {"Velk\\シリーズ\\ソ", "Velk", programs + "\\Velk"},
  };
  ScratchFolder source("C:\\source");
  ASSERT_TRUE(LoadInstInf(settings, source.path(), kThreeItems));
  for (const Case &c : cases) {
    SCOPED_TRACE(Utf8FromCp932(c.group));
    cleanShellFolders();
    if (c.madeBefore) MakeFolders(programs + "\\" + c.madeBefore);
    settings.programGroupFolder.clear();
    EXPECT_TRUE(settings.registerStartMenu(kInstDir, c.group, false, false));
    const std::string group = programs + "\\" + c.group;
    EXPECT_EQ(settings.programGroupFolder, group);
    EXPECT_EQ(settings.groupExisted, c.expectedExisted);
    EXPECT_TRUE(FolderExists(group));
    ASSERT_EQ(settings.programIcons.size(), 3u);
    EXPECT_EQ(settings.programIcons.front(), group + "\\ゲーム開始.lnk");
    expectLink(settings.programIcons.front(), std::string(kInstDir) + "game.exe", "ゲームを始めます");
  }
}

TEST_F(StartMenuTest, ProgramsFolderNotFoundIsReportedAndTheGroupIsTakenRelativeToTheCurrentFolder) {
  ScratchFolder source("C:\\source");
  ASSERT_TRUE(LoadInstInf(settings, source.path(), kThreeItems));
  // Without its folder the shell cannot answer the current user's Programs folder.
  const std::string programs = ShellFolder(CSIDL_PROGRAMS);
  ASSERT_TRUE(MoveFileA(programs.c_str(), (programs + ".away").c_str()));
  ASSERT_EQ(ShellFolder(CSIDL_PROGRAMS), "");
  char previous[MAX_PATH] = {};
  GetCurrentDirectoryA(MAX_PATH, previous);
  SetCurrentDirectoryA(source.path().c_str());
  const std::string relativeGroup = source.path() + "\\" + kGroup;
  struct Case {
    bool groupThere;  // below the current folder
  } cases[] = {{true}, {false}};
  for (const Case &c : cases) {
    SCOPED_TRACE(c.groupThere ? "group below the current folder" : "no such folder");
    RemoveTree(source.path() + "\\Velk");
    if (c.groupThere) MakeFolders(relativeGroup);
    settings.programGroupFolder.clear();
    settings.desktopShortcutPath.clear();
    Responder user;
    user.expect("GetProgramsPath() failed.", IDOK);
    // A relative folder that is not there cannot be made: the walk up finds no existing folder.
    if (!c.groupThere) user.expect("の作成に失敗しました。", IDOK);

    EXPECT_TRUE(settings.registerStartMenu(kInstDir, kGroup, true, false));

    std::vector<Prompt> prompts = user.prompts();
    ASSERT_EQ(prompts.size(), c.groupThere ? 1u : 2u);
    EXPECT_EQ(prompts[0].text, "GetProgramsPath() failed. : プログラムフォルダの位置を取得できませんでした。");
    EXPECT_EQ(prompts[0].caption, "システムエラー");
    EXPECT_EQ(prompts[0].flags, static_cast<UINT>(MB_OK | MB_ICONEXCLAMATION));
    EXPECT_EQ(prompts[0].owner, nullptr);
    user.verifyAllAnswered();

    EXPECT_EQ(settings.programGroupFolder, kGroup);
    // The shortcuts are attempted and listed either way.
    ASSERT_EQ(settings.programIcons.size(), 3u);
    EXPECT_EQ(settings.programIcons.front(), std::string(kGroup) + "\\ゲーム開始.lnk");
    if (c.groupThere) {
      EXPECT_EQ(settings.groupExisted, kGroup);
      expectLink(relativeGroup + "\\ゲーム開始.lnk", std::string(kInstDir) + "game.exe", "ゲームを始めます");
    } else {
      EXPECT_FALSE(FolderExists(relativeGroup));
    }
    // The desktop is still found.
    EXPECT_EQ(settings.desktopShortcutPath, ShellFolder(CSIDL_DESKTOPDIRECTORY) + "\\ヴェルクの冒険.lnk");
  }
  SetCurrentDirectoryA(previous);
  MoveFileA((programs + ".away").c_str(), programs.c_str());
}
}  // namespace
