// The end of an installation, driven through the real main dialog from the start button to the exit button.
#include <windows.h>
#include <shlobj.h>

#include <functional>
#include <set>
#include <string>
#include <vector>

#include "app/inst_dlg.h"
#include "app/inst_ids.h"
#include "framework/win_app.h"
#include "gtest/gtest.h"
#include "tests/register/link_reader.h"
#include "tests/register/register_fixture.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/responder.h"
#include "ui/shortcut_ids.h"

namespace {
const char kSource[] = "C:\\src";
const char kInstDir[] = "C:\\Velk\\Game\\";
const char kCaption[] = "ヴェルクの冒険 インストーラー";
const char kProductKey[] = "SOFTWARE\\Velk\\Game";
const char kUninstallKey[] = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velk-Game";
const char kDone[] = "インストールが完了しました。";
const char kAdditiveDone[] = "追加インストールが完了しました。";
const char kStandardText[] =
    "インストールが完了しました。\r\n"
    "終了ボタンを押してインストーラーを終了させた後、マニュアルの手順に従ってゲームを起動してください。";

const char kInstInf[] =
    "VenderName = \"Velk\";\n"
    "AppName = \"Game\";\n"
    "AppNameW = \"ヴェルクの冒険\";\n"
    "InstType = \"標準\";\n"
    "標準 = \"game.exe\", \"data\\a.dat\", \"uninst.exe\";\n"
    "MenuItem = \"ゲーム開始\", \"ソフト削除\";\n"
    "ゲーム開始 = \"game.exe\", \"ゲームを始めます\";\n"
    "ソフト削除 = \"uninst.exe\", \"ゲームを削除します\";\n"
    "Uninstaller = \"uninst.exe\";\n";

const char kAdditiveInf[] =
    "VenderName = \"Velk\";\n"
    "AppName = \"Game\";\n"
    "AppNameW = \"ヴェルクの冒険\";\n"
    "AdditiveInstall = \"enable\";\n"
    "InstType = \"追加\";\n"
    "追加 = \"data\\a.dat\", \"add\\map.dat\";\n"
    "MenuItem = \"ゲーム開始\";\n"
    "ゲーム開始 = \"game.exe\", \"ゲームを始めます\";\n"
    "Uninstaller = \"uninst.exe\";\n";

// The ids of the dialog's visible controls.
std::set<int> visibleControls(HWND dialog) {
  std::set<int> ids;
  EnumChildWindows(
      dialog,
      [](HWND child, LPARAM found) -> BOOL {
        if (IsWindowVisible(child)) reinterpret_cast<std::set<int> *>(found)->insert(GetDlgCtrlID(child));
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&ids));
  return ids;
}

std::string valueOf(const char *key, const char *name) {
  std::string text;
  RegText(key, name, text);
  return text;
}

class FinishInstTest : public testing::Test {
 protected:
  void SetUp() override {
    cleanUp();
    MakeFolders(std::string(kSource) + "\\data");
    WriteBytes(std::string(kSource) + "\\game.exe", std::string(3000, 'g'));
    WriteBytes(std::string(kSource) + "\\data\\a.dat", "a");
    WriteBytes(std::string(kSource) + "\\uninst.exe", "u");
    MakeFolders(std::string(kSource) + "\\add");
    WriteBytes(std::string(kSource) + "\\add\\map.dat", "m");
    WriteBytes(std::string(kSource) + "\\inst.inf", kInstInf);
  }
  void TearDown() override { cleanUp(); }
  static void cleanUp() {
    RemoveTree(kSource);
    RemoveTree("C:\\Velk");
    for (int csidl : {CSIDL_PROGRAMS, CSIDL_COMMON_PROGRAMS}) {
      RemoveTree(ShellFolder(csidl) + "\\Velk");
      DeleteFileA((ShellFolder(csidl) + "\\Velk").c_str());
    }
    for (int csidl : {CSIDL_DESKTOPDIRECTORY, CSIDL_COMMON_DESKTOPDIRECTORY})
      DeleteFileA((ShellFolder(csidl) + "\\ヴェルクの冒険.lnk").c_str());
    DeleteKey(kUninstallKey);
    DeleteKey(kProductKey);
  }

  // Runs the installer with the source folder as its second argument; script drives the main dialog.
  INT_PTR runInstaller(CInstDlg &dialog, const std::function<void(HWND)> &script) {
    static char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, MAX_PATH);
    static char noProgram[] = "none";
    static char source[] = "C:\\src";
    static char *argv[] = {self, noProgram, source, nullptr};
    SetAppArgs(3, argv);
    INT_PTR result = driver::RunModal([&] { return dialog.DoModal(); }, [&] {
      HWND d = driver::WaitForDialog(kCaption);
      if (d != nullptr) script(d);
    });
    SetAppArgs(0, nullptr);
    return result;
  }

  // Types the folder, presses start and confirms the shortcut dialog; returns when the final view shows.
  static void installInto(HWND d, const std::string &folderText, bool shortcutDialog) {
    if (!folderText.empty()) driver::SetItemText(d, IDC_INSTDIR, folderText);
    driver::PostClick(d, IDC_INST_START);
    if (shortcutDialog) {
      HWND shortcuts = driver::WaitForDialog("ショートカットの作成");
      driver::Click(shortcuts, IDOK);
    }
    EXPECT_TRUE(driver::WaitUntil([d] { return driver::IsItemVisible(d, IDC_FINISH_TEXT); }, 30000));
  }

  // The final view: only the picture, the text box, the disabled cancel button and the exit button.
  static void expectFinalView(HWND d) {
    EXPECT_EQ(visibleControls(d), (std::set<int>{IDC_PICTURE, IDC_FINISH_TEXT, IDC_INST_CANCEL, IDC_INST_START}));
    EXPECT_FALSE(driver::IsItemEnabled(d, IDC_INST_CANCEL));
    EXPECT_TRUE(driver::IsItemEnabled(d, IDC_INST_START));
    EXPECT_EQ(driver::ItemText(d, IDC_INST_START), "終了");
  }
};

TEST_F(FinishInstTest, FullInstallationRegistersEverythingUnderTheNormalisedFolderThenShowsTheReadme) {
  const std::string readme = "ヴェルクの冒険\r\n\r\n起動する前に説明書を読んでください。\r\n";
  WriteBytes(std::string(kSource) + "\\readme.1st", readme);
  Responder user;
  user.expect("インストールを開始します。", IDYES);
  // The free space is looked up for the text as typed, which does not begin with a drive: the space question.
  user.expect("インストールを強行しますか？", IDYES);
  user.expect("は存在しません。作成しますか？", IDYES);
  bool registeredBeforeMessage = false;
  CInstDlg dialog;
  user.expect(kDone, IDOK, [&](const Prompt &) {
    // Everything is in place when the message shows, and the view is not yet the final one.
    registeredBeforeMessage = FileExists(std::string(kInstDir) + "uninst.inf") &&
                              valueOf(kProductKey, "setup_data") == kInstDir &&
                              valueOf(kUninstallKey, "DisplayName") == "ヴェルクの冒険";
    EXPECT_EQ(dialog.phase, PHASE_DONE);
    EXPECT_FALSE(dialog.finishText.IsWindowVisible());
  });
  INT_PTR result = runInstaller(dialog, [&](HWND d) {
    // Blanks around the folder and no final backslash.
    installInto(d, "  C:\\Velk\\Game  ", true);
    expectFinalView(d);
    EXPECT_EQ(driver::ItemText(d, IDC_FINISH_TEXT), readme);
    driver::Click(d, IDC_INST_START);
  });
  EXPECT_EQ(result, IDOK);
  user.verifyAllAnswered();
  EXPECT_TRUE(registeredBeforeMessage);
  std::vector<Prompt> prompts = user.prompts();
  ASSERT_EQ(prompts.size(), 4u);
  EXPECT_EQ(prompts[3].text, kDone);
  EXPECT_EQ(prompts[3].caption, "正常終了");
  EXPECT_EQ(prompts[3].flags, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
  EXPECT_EQ(prompts[3].owner, prompts[0].owner);  // the main dialog
  EXPECT_NE(prompts[3].owner, nullptr);

  // Every stored path is built on "C:\Velk\Game\".
  EXPECT_EQ(valueOf(kProductKey, "setup_data"), kInstDir);
  EXPECT_EQ(valueOf(kUninstallKey, "UninstallString"), "C:\\Velk\\Game\\uninst.exe");
  const std::string group = ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\Velk\\ヴェルクの冒険";
  LinkInfo start = ReadLink(group + "\\ゲーム開始.lnk");
  ASSERT_TRUE(start.loaded);
  EXPECT_EQ(start.target, "C:\\Velk\\Game\\game.exe");
  EXPECT_EQ(start.workingFolder, kInstDir);
  EXPECT_EQ(start.description, "ゲームを始めます");
  LinkInfo remove = ReadLink(group + "\\ソフト削除.lnk");
  EXPECT_EQ(remove.target, "C:\\Velk\\Game\\uninst.exe");
  LinkInfo desktop = ReadLink(ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY) + "\\ヴェルクの冒険.lnk");
  EXPECT_EQ(desktop.target, "C:\\Velk\\Game\\game.exe");
  EXPECT_EQ(desktop.workingFolder, kInstDir);

  std::string uninst = ReadFileBytes(std::string(kInstDir) + "uninst.inf");
  EXPECT_NE(uninst.find("DelFile =\r\n\t\"game.exe\",\r\n\t\"data\\a.dat\";\r\n"), std::string::npos);
  EXPECT_NE(uninst.find("ProgramIcon =\r\n\t\"" + group + "\\ゲーム開始.lnk\",\r\n\t\"" + group + "\\ソフト削除.lnk\";"),
            std::string::npos);
  EXPECT_NE(uninst.find("DesktopShortcut =\r\n\t\"" + ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY) +
                        "\\ヴェルクの冒険.lnk\";"),
            std::string::npos);

  // The Uninstall entry was written before the product's own key.
  ULONGLONG uninstallTime = 0, productTime = 0;
  ASSERT_TRUE(KeyWriteTime(kUninstallKey, uninstallTime));
  ASSERT_TRUE(KeyWriteTime(kProductKey, productTime));
  EXPECT_LE(uninstallTime, productTime);
}

TEST_F(FinishInstTest, ShortcutsComeBeforeEveryOtherRegistration) {
  // The group's first folder is taken by a file: making the group fails while the shortcuts are made,
  // and its message shows what has been done by then.
  WriteBytes(ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\Velk", "not a folder");
  Responder user;
  user.expect("インストールを開始します。", IDYES);
  user.expect("は存在しません。作成しますか？", IDYES);
  bool nothingElseYet = false;
  user.expect("の作成に失敗しました。", IDOK, [&](const Prompt &) {
    nothingElseYet = !FileExists(std::string(kInstDir) + "uninst.inf") && valueOf(kProductKey, "setup_data").empty() &&
                     valueOf(kUninstallKey, "DisplayName").empty();
  });
  user.expect(kDone, IDOK);
  CInstDlg dialog;
  EXPECT_EQ(runInstaller(dialog, [&](HWND d) {
              installInto(d, kInstDir, true);
              expectFinalView(d);
              driver::Click(d, IDC_INST_START);
            }),
            IDOK);
  user.verifyAllAnswered();
  EXPECT_TRUE(nothingElseYet);
  // The failure stopped nothing after it.
  EXPECT_EQ(valueOf(kUninstallKey, "DisplayName"), "ヴェルクの冒険");
  EXPECT_EQ(valueOf(kProductKey, "setup_data"), kInstDir);
  EXPECT_TRUE(FileExists(std::string(kInstDir) + "uninst.inf"));
}

TEST_F(FinishInstTest, FinalTextIsTheSourceReadmeAsItIsOrTheStandardText) {
  struct Case {
    const char *name;
    const char *sourceReadme;   // null: none in the source folder
    const char *installReadme;  // null: none in the install folder before the installation
    std::string expected;
  } cases[] = {
      {"empty readme", "", nullptr, ""},
      {"no readme", nullptr, nullptr, kStandardText},
      {"readme only in the install folder", nullptr, "別のテキスト", kStandardText},
  };
  for (const Case &c : cases) {
    SCOPED_TRACE(c.name);
    cleanUp();
    SetUp();
    if (c.sourceReadme) WriteBytes(std::string(kSource) + "\\readme.1st", c.sourceReadme);
    if (c.installReadme) {
      MakeFolders("C:\\Velk\\Game");
      WriteBytes(std::string(kInstDir) + "readme.1st", c.installReadme);
    }
    Responder user;
    user.expect("インストールを開始します。", IDYES);
    user.expect(c.installReadme ? "は既に存在します。" : "は存在しません。作成しますか？", IDYES);
    user.expect(kDone, IDOK);
    CInstDlg dialog;
    EXPECT_EQ(runInstaller(dialog, [&](HWND d) {
                installInto(d, kInstDir, true);
                expectFinalView(d);
                EXPECT_EQ(driver::ItemText(d, IDC_FINISH_TEXT), c.expected);
                driver::Click(d, IDC_INST_START);
              }),
              IDOK);
    user.verifyAllAnswered();
  }
}

TEST_F(FinishInstTest, AdditionalInstallationOnlyExtendsUninstInf) {
  // A first installation, registered, with its uninst.inf.
  MakeFolders("C:\\Velk\\Game\\data");
  WriteBytes(std::string(kInstDir) + "data\\a.dat", "a");
  const std::string firstInf =
      "DelFile = \"game.exe\", \"data\\a.dat\";\nProgramGroup = \"C:\\menu\";\nUninstaller = \"uninst.exe\";\n";
  WriteBytes(std::string(kInstDir) + "uninst.inf", firstInf);
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_LOCAL_MACHINE, kProductKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  RegSetValueExA(key, "setup_data", 0, REG_SZ, reinterpret_cast<const BYTE *>(kInstDir), sizeof kInstDir);
  RegCloseKey(key);
  ULONGLONG before = 0;
  ASSERT_TRUE(KeyWriteTime(kProductKey, before));
  Sleep(50);
  WriteBytes(std::string(kSource) + "\\inst.inf", kAdditiveInf);

  Responder user;
  user.expect("インストールを開始します。", IDYES);
  user.expect(kAdditiveDone, IDOK);
  CInstDlg dialog;
  EXPECT_EQ(runInstaller(dialog, [&](HWND d) {
              installInto(d, "", false);
              expectFinalView(d);
              driver::Click(d, IDC_INST_START);
            }),
            IDOK);
  user.verifyAllAnswered();
  std::vector<Prompt> prompts = user.prompts();
  ASSERT_EQ(prompts.size(), 2u);
  EXPECT_EQ(prompts[1].caption, "正常終了");

  EXPECT_EQ(ReadFileBytes(std::string(kInstDir) + "uninst.inf"),
            "#このファイルには変更を加えないで下さい。アンインストール時に予期せぬ動作をする可能性があります。\r\n"
            "DelFile =\r\n\t\"game.exe\",\r\n\t\"data\\a.dat\",\r\n\t\"add\\map.dat\";\r\n"
            "ProgramGroup =\r\n\t\"C:\\menu\";\r\n"
            "Uninstaller =\r\n\t\"uninst.exe\";");
  // No shortcut, no Uninstall entry, the product key untouched.
  EXPECT_FALSE(FolderExists(ShellFolder(CSIDL_COMMON_PROGRAMS) + "\\Velk"));
  EXPECT_FALSE(FolderExists(ShellFolder(CSIDL_PROGRAMS) + "\\Velk"));
  EXPECT_TRUE(ListFiles(ShellFolder(CSIDL_COMMON_DESKTOPDIRECTORY), "*.lnk").empty());
  EXPECT_EQ(valueOf(kUninstallKey, "DisplayName"), "");
  ULONGLONG after = 0;
  ASSERT_TRUE(KeyWriteTime(kProductKey, after));
  EXPECT_EQ(after, before);
}
}  // namespace
