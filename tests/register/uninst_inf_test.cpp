// uninst.inf as the uninstaller receives it: the exact bytes of a full installation, and its extension by an
// additional one.
#include <windows.h>

#include <string>

#include "app/inst_settings.h"
#include "gtest/gtest.h"
#include "tests/register/link_reader.h"
#include "tests/register/register_fixture.h"

namespace {
const char kHeader[] =
    "#このファイルには変更を加えないで下さい。アンインストール時に予期せぬ動作をする可能性があります。\r\n";

const char kFullInf[] =
    "VenderName = \"Velk\";\n"
    "AppName = \"Game\";\n"
    "AppNameW = \"ヴェルクの冒険\";\n"
    "Uninstaller = \"uninst.exe\";\n"
    "CopyToWinDir = \"velk.dll\";\n";

class UninstInfTest : public testing::Test {
 protected:
  UninstInfTest() : source("C:\\source"), dest("C:\\Velk\\Game") {}

  // The settings as a full installation of these entries leaves them after registerStartMenu.
  void fullInstallation(InstSettings &settings, const char *inf, bool desktop) {
    ASSERT_TRUE(LoadInstInf(settings, source.path(), inf));
    settings.additive = false;
    settings.chosenType = InstTypeInfo("標準");
    settings.chosenType.entries = {"game.exe", "data\\a.dat", "uninst.exe", "game.exe", "data\\ソ.dat"};
    settings.programGroupFolder = "C:\\Menu\\Programs\\Velk\\ヴェルクの冒険";
    settings.groupExisted = "C:\\Menu\\Programs";
    settings.programIcons = {"C:\\Menu\\Programs\\Velk\\ヴェルクの冒険\\ゲーム開始.lnk",
                             "C:\\Menu\\Programs\\Velk\\ヴェルクの冒険\\説明書.lnk"};
    settings.desktopShortcutPath = desktop ? "C:\\Desk\\ヴェルクの冒険.lnk" : "";
  }
  std::string written() const { return ReadFileBytes(dest.path() + "\\uninst.inf"); }

  ScratchFolder source;
  ScratchFolder dest;
};

const char kFullFile[] =
    "AppName =\r\n\t\"Game\";\r\n"
    "AppNameW =\r\n\t\"ヴェルクの冒険\";\r\n"
    "DelFile =\r\n\t\"game.exe\",\r\n\t\"data\\a.dat\",\r\n\t\"data\\ソ.dat\";\r\n"
    "DelSysfile =\r\n\t\"velk.dll\";\r\n"
    "DesktopShortcut =\r\n\t\"C:\\Desk\\ヴェルクの冒険.lnk\";\r\n"
    "ProgramGroup =\r\n\t\"C:\\Menu\\Programs\\Velk\\ヴェルクの冒険\";\r\n"
    "ProgramGroup_Existed =\r\n\t\"C:\\Menu\\Programs\";\r\n"
    "ProgramIcon =\r\n\t\"C:\\Menu\\Programs\\Velk\\ヴェルクの冒険\\ゲーム開始.lnk\",\r\n"
    "\t\"C:\\Menu\\Programs\\Velk\\ヴェルクの冒険\\説明書.lnk\";\r\n"
    "Uninstaller =\r\n\t\"uninst.exe\";\r\n"
    "VenderName =\r\n\t\"Velk\";";

TEST_F(UninstInfTest, FullInstallationWritesExactlyTheExpectedFile) {
  // The folder given with and without its final backslash names the same file.
  for (std::string folder : {dest.path() + "\\", dest.path()}) {
    SCOPED_TRACE(folder);
    DeleteFileA((dest.path() + "\\uninst.inf").c_str());
    // A file of an earlier installation into the same folder is replaced, not extended.
    WriteBytes(dest.path() + "\\uninst.inf", "DelFile = \"old.dat\";\n");
    InstSettings settings;
    fullInstallation(settings, kFullInf, true);
    EXPECT_TRUE(settings.writeUninstInf(folder.c_str()));
    EXPECT_EQ(written(), std::string(kHeader) + kFullFile);
  }
}

TEST_F(UninstInfTest, OptionalKeysOnlyWithTheirCause) {
  InstSettings settings;
  // No CopyToWinDir, no desktop shortcut, and empty names that are still written.
  fullInstallation(settings, "Uninstaller = \"uninst.exe\";\n", false);
  settings.programIcons.clear();
  settings.writeUninstInf(dest.path().c_str());
  EXPECT_EQ(written(), std::string(kHeader) +
                           "AppName =\r\n\t\"\";\r\n"
                           "AppNameW =\r\n\t\"\";\r\n"
                           "DelFile =\r\n\t\"game.exe\",\r\n\t\"data\\a.dat\",\r\n\t\"data\\ソ.dat\";\r\n"
                           "ProgramGroup =\r\n\t\"C:\\Menu\\Programs\\Velk\\ヴェルクの冒険\";\r\n"
                           "ProgramGroup_Existed =\r\n\t\"C:\\Menu\\Programs\";\r\n"
                           "Uninstaller =\r\n\t\"uninst.exe\";\r\n"
                           "VenderName =\r\n\t\"\";");
}

TEST_F(UninstInfTest, AdditionalInstallationKeepsEverythingAndAppendsOnlyNewFiles) {
  {
    InstSettings first;
    fullInstallation(first, kFullInf, true);
    ASSERT_TRUE(first.writeUninstInf(dest.path().c_str()));
  }
  InstSettings second;
  ASSERT_TRUE(LoadInstInf(second, source.path(),
                          "VenderName = \"Velk\";\nAppName = \"Game\";\nAppNameW = \"追加ディスク\";\n"
                          "Uninstaller = \"uninst.exe\";\nCopyToWinDir = \"other.dll\";\nAdditiveInstall = \"enable\";\n"));
  second.additive = true;
  second.chosenType = InstTypeInfo("追加");
  second.chosenType.entries = {"add\\map.dat", "data\\a.dat", "uninst.exe", "add\\map.dat", "add\\voice.dat"};
  // What a full installation would record must not reach the file.
  second.programIcons = {"C:\\elsewhere.lnk"};
  second.programGroupFolder = "C:\\elsewhere";
  second.desktopShortcutPath = "C:\\elsewhere.lnk";
  EXPECT_TRUE(second.writeUninstInf((dest.path() + "\\").c_str()));

  std::string expected = std::string(kHeader) + kFullFile;
  const std::string oldDelFile = "\t\"data\\ソ.dat\";\r\n";
  size_t at = expected.find(oldDelFile);
  ASSERT_NE(at, std::string::npos);
  expected.replace(at, oldDelFile.size(), "\t\"data\\ソ.dat\",\r\n\t\"add\\map.dat\",\r\n\t\"add\\voice.dat\";\r\n");
  EXPECT_EQ(written(), expected);
}

TEST_F(UninstInfTest, AdditionalInstallationIntoAFolderWithoutTheFileWritesNone) {
  InstSettings settings;
  ASSERT_TRUE(LoadInstInf(settings, source.path(), kFullInf));
  settings.additive = true;
  settings.chosenType.entries = {"add\\map.dat"};
  EXPECT_FALSE(settings.writeUninstInf(dest.path().c_str()));
  EXPECT_FALSE(FileExists(dest.path() + "\\uninst.inf"));
  EXPECT_TRUE(ListFiles(dest.path(), "*").empty());
}
}  // namespace
