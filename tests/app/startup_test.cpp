// The start-up of the real main dialog: the decision table on an existing installation, the single
// instance, the command line, the title, picture, default destination and drive list.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "app/inst_app.h"
#include "app/inst_dlg.h"
#include "app/inst_ids.h"
#include "framework/win_app.h"
#include "gtest/gtest.h"
#include "sysinfo/sysinf.h"
#include "tests/app/app_fixture.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/responder.h"

namespace {

const char kVender[] = "StartupMaker";
const char kApp[] = "StartupGame";
const char kAppW[] = "起動テスト";

std::string BaseInf(const std::string &extra = "") {
  return std::string("VenderName = \"") + kVender + "\";\nAppName = \"" + kApp + "\";\nAppNameW = \"" + kAppW +
         "\";\nInstType = {\"Full\"};\nFull = {\"game.exe\", \"data\\main.dat\"};\n" + extra;
}

std::string DefaultDestination() {
  return std::string(SysInf::GetProgramFilesPath()) + "\\" + kVender + "\\" + kApp + "\\";
}

class StartupTest : public testing::Test {
 protected:
  void SetUp() override {
    fixture::FreshFolder(source_);
    fixture::SetRegistered(kVender, kApp, "");
  }
  void TearDown() override {
    fixture::SetRegistered(kVender, kApp, "");
    fixture::RemoveTree(source_);
    fixture::RemoveTree("C:\\Installed");
  }
  std::vector<std::string> args(const std::string &first = "x") const { return {first, source_}; }

  // Waits for the main dialog and leaves it through the cancel button.
  static void CancelMainDialog(Responder &user, const std::function<void(HWND)> &look = nullptr) {
    HWND d = driver::WaitForDialog(fixture::MainCaption(kAppW));
    if (!d) return;
    if (look) look(d);
    user.expect("インストールを中止します。よろしいですか？", IDYES);
    driver::Click(d, IDC_INST_CANCEL);
  }

  const std::string source_ = "C:\\startup_src";
};

TEST_F(StartupTest, MissingInstInfEndsWithM2AndStartsTheReturnProgram) {
  fixture::StartedProgram returned;
  Responder user;
  CInstDlg dlg;
  HWND owner = nullptr;
  user.expect("設定ファイルが読めませんでした。インストールを中断します", IDOK,
              [&](const Prompt &p) { owner = dlg.hwnd() != nullptr && p.owner == dlg.hwnd() ? p.owner : nullptr; });
  EXPECT_EQ(fixture::RunInstaller(dlg, {returned.path(), "C:\\no_such_source\\"}, [] {}), IDCANCEL);
  user.verifyAllAnswered();
  ASSERT_EQ(user.prompts().size(), 1u);
  EXPECT_EQ(user.prompts()[0].caption, "初期化エラー");
  EXPECT_EQ(user.prompts()[0].flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
  EXPECT_NE(owner, nullptr) << "owned by the main dialog";
  ASSERT_TRUE(returned.WaitForLines(1));
  EXPECT_EQ(returned.MarkerLines()[0], returned.path());
}

TEST_F(StartupTest, WithoutArgumentsInstInfIsReadFromTheInstallersFolder) {
  // The test program's own folder holds no inst.inf.
  Responder user;
  user.expect("設定ファイルが読めませんでした", IDOK);
  CInstDlg dlg;
  EXPECT_EQ(fixture::RunInstaller(dlg, {}, [] {}), IDCANCEL);
  user.verifyAllAnswered();
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string folder = self;
  folder.erase(folder.rfind('\\') + 1);
  EXPECT_EQ(dlg.sourceFolder, folder);
  EXPECT_TRUE(dlg.returnProgram.empty());
}

TEST_F(StartupTest, FreshInstallationShowsTitleDefaultsAndDrives) {
  fixture::WriteInstInf(source_, BaseInf("Image = \"pic.bmp\";\n"));
  fixture::WriteBytes(source_ + "\\pic.bmp", fixture::SmallBitmap());
  Responder user;
  CInstDlg dlg;
  std::vector<std::string> drives;
  bool hasPicture = false;
  std::string folder;
  int driveSelection = CB_ERR;
  EXPECT_EQ(fixture::RunInstaller(dlg, args(), [&] {
              CancelMainDialog(user, [&](HWND d) {
                folder = driver::ItemText(d, IDC_INSTDIR);
                drives = driver::ComboItems(d, IDC_DRIVECOMBO);
                driveSelection = driver::ComboSelection(d, IDC_DRIVECOMBO);
                hasPicture = SendMessageA(driver::Item(d, IDC_PICTURE), STM_GETIMAGE, IMAGE_BITMAP, 0) != 0;
                EXPECT_TRUE(driver::IsItemEnabled(d, IDC_INSTDIR));
                EXPECT_TRUE(driver::IsItemEnabled(d, IDC_DRIVECOMBO));
                EXPECT_TRUE(driver::IsItemEnabled(d, IDC_BROWSE));
                EXPECT_FALSE(driver::IsItemVisible(d, IDC_PROGRESS_TEXT));
              });
            }),
            IDCANCEL);
  user.verifyAllAnswered();
  EXPECT_EQ(folder, DefaultDestination());
  EXPECT_TRUE(hasPicture);
  EXPECT_EQ(dlg.programGroup, std::string(kVender) + "\\" + kAppW);
  EXPECT_EQ(dlg.phase, PHASE_SETUP);
  EXPECT_FALSE(dlg.additive);

  // Only the fixed drives are listed: C:, H: and T: of the test prefix, none of the disc, floppy or network
  // drives; the drive of the folder is selected.
  for (const char *fixed : {"C", "H", "T"}) {
    EXPECT_NE(std::find(drives.begin(), drives.end(), fixed), drives.end()) << fixed;
  }
  for (const char *other : {"D", "E", "F", "G", "N"}) {
    EXPECT_EQ(std::find(drives.begin(), drives.end(), other), drives.end()) << other;
  }
  ASSERT_GE(driveSelection, 0);
  EXPECT_EQ(drives[static_cast<size_t>(driveSelection)], std::string(1, DefaultDestination()[0]));

  // The Program Files drive remembers the default destination, every other its own root.
  char programFilesDrive = static_cast<char>(toupper(DefaultDestination()[0]));
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    std::string expected = letter == programFilesDrive
                               ? DefaultDestination()
                               : std::string(1, letter) + ":\\" + kVender + "\\" + kApp + "\\";
    EXPECT_EQ(dlg.driveFolders[letter - 'A'], expected) << letter;
  }
}

TEST_F(StartupTest, RegisteredInstallationAsksQ2) {
  fixture::WriteInstInf(source_, BaseInf());
  fixture::SetRegistered(kVender, kApp, "C:\\Old Place\\");
  const std::string q2 = std::string("このコンピューターには既に「") + kAppW +
                         "」のインストール情報が含まれています。\nインストールを続行しますか？";
  {
    Responder user;
    user.expect(q2, IDNO);
    CInstDlg dlg;
    EXPECT_EQ(fixture::RunInstaller(dlg, args(), [] {}), IDCANCEL);
    user.verifyAllAnswered();
    ASSERT_EQ(user.prompts().size(), 1u);
    EXPECT_EQ(user.prompts()[0].text, q2);
    EXPECT_EQ(user.prompts()[0].caption, "確認");
    EXPECT_EQ(user.prompts()[0].flags, static_cast<UINT>(MB_YESNO | MB_ICONERROR));
  }
  {
    Responder user;
    user.expect(q2, IDYES);
    CInstDlg dlg;
    std::string folder;
    EXPECT_EQ(fixture::RunInstaller(dlg, args(), [&] {
                CancelMainDialog(user, [&](HWND d) { folder = driver::ItemText(d, IDC_INSTDIR); });
              }),
              IDCANCEL);
    user.verifyAllAnswered();
    EXPECT_EQ(folder, "C:\\Old Place\\");
  }
}

TEST_F(StartupTest, RegisteredFolderOnADiscDriveSelectsNoDrive) {
  fixture::WriteInstInf(source_, BaseInf());
  fixture::SetRegistered(kVender, kApp, "D:\\Game\\");
  Responder user;
  user.expect("インストール情報が含まれています", IDYES);
  CInstDlg dlg;
  int selection = 0;
  std::string folder;
  fixture::RunInstaller(dlg, args(), [&] {
    CancelMainDialog(user, [&](HWND d) {
      selection = driver::ComboSelection(d, IDC_DRIVECOMBO);
      folder = driver::ItemText(d, IDC_INSTDIR);
    });
  });
  EXPECT_EQ(folder, "D:\\Game\\");
  EXPECT_EQ(selection, CB_ERR);
}

TEST_F(StartupTest, LaunchIfInstStartsTheInstalledProgram) {
  fixture::StartedProgram started;
  fixture::WriteInstInf(source_, BaseInf("LaunchIfInst = \"1\";\n"));
  fixture::MakeFolders("C:\\Installed");
  started.Copy("C:\\Installed\\game.exe");
  fixture::SetRegistered(kVender, kApp, "C:\\Installed\\");
  Responder user;  // nothing is asked
  CInstDlg dlg;
  EXPECT_EQ(fixture::RunInstaller(dlg, args(started.path()), [] {}), IDCANCEL);
  EXPECT_TRUE(user.prompts().empty());
  // The installed program and the return program.
  ASSERT_TRUE(started.WaitForLines(2));
  std::vector<std::string> lines = started.MarkerLines();
  EXPECT_NE(std::find(lines.begin(), lines.end(), "C:\\Installed\\game.exe"), lines.end());
  EXPECT_NE(std::find(lines.begin(), lines.end(), started.path()), lines.end());
}

TEST_F(StartupTest, LaunchIfInstWithAMissingProgramAsksQ1) {
  fixture::WriteInstInf(source_, BaseInf("LaunchIfInst = \"1\";\n"));
  fixture::SetRegistered(kVender, kApp, "C:\\Installed\\");
  const std::string q1 = std::string("このコンピューターには「") + kAppW +
                         "」のインストール情報が含まれていますが、既にファイルが存在していないか移動されました。\n"
                         "インストールを続行しますか？";
  {
    Responder user;
    user.expect(q1, IDNO);
    CInstDlg dlg;
    EXPECT_EQ(fixture::RunInstaller(dlg, args(), [] {}), IDCANCEL);
    user.verifyAllAnswered();
    ASSERT_EQ(user.prompts().size(), 1u);
    EXPECT_EQ(user.prompts()[0].caption, "確認");
    EXPECT_EQ(user.prompts()[0].flags, static_cast<UINT>(MB_YESNO | MB_ICONERROR));
  }
  {
    Responder user;
    user.expect(q1, IDYES);
    CInstDlg dlg;
    std::string folder;
    fixture::RunInstaller(dlg, args(), [&] {
      CancelMainDialog(user, [&](HWND d) { folder = driver::ItemText(d, IDC_INSTDIR); });
    });
    user.verifyAllAnswered();
    EXPECT_EQ(folder, DefaultDestination()) << "the default destination, not the registered folder";
  }
}

TEST_F(StartupTest, LaunchIfInstWithoutRegistrationHasNoEffect) {
  fixture::WriteInstInf(source_, BaseInf("LaunchIfInst = \"1\";\n"));
  Responder user;
  CInstDlg dlg;
  std::string folder;
  fixture::RunInstaller(dlg, args(), [&] {
    CancelMainDialog(user, [&](HWND d) { folder = driver::ItemText(d, IDC_INSTDIR); });
  });
  user.verifyAllAnswered();
  EXPECT_EQ(folder, DefaultDestination());
}

TEST_F(StartupTest, AdditiveWithoutRegistrationEndsWithM3) {
  fixture::StartedProgram returned;
  fixture::WriteInstInf(source_, BaseInf("AdditiveInstall = \"enable\";\n"));
  Responder user;
  user.expect("追加インストールを行おうとしましたが、追加先アプリケーションのインストールを確認できませんでした。OKボタン"
              "を押すと終了します。",
              IDOK);
  CInstDlg dlg;
  EXPECT_EQ(fixture::RunInstaller(dlg, args(returned.path()), [] {}), IDCANCEL);
  user.verifyAllAnswered();
  ASSERT_EQ(user.prompts().size(), 1u);
  EXPECT_EQ(user.prompts()[0].caption, "追加インストールエラー");
  EXPECT_EQ(user.prompts()[0].flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
  EXPECT_TRUE(returned.WaitForLines(1)) << "the return program is started on this way out too";
}

TEST_F(StartupTest, AdditiveWithAMissingRequiredFolderEndsWithM4) {
  fixture::WriteInstInf(source_, BaseInf("AdditiveInstall = \"enable\";\nAdditiveRequire = {\"data\", \"save\"};\n"));
  fixture::MakeFolders("C:\\Installed\\data");
  fixture::SetRegistered(kVender, kApp, "C:\\Installed\\");
  Responder user;
  user.expect("追加インストールに必要なファイルがコンピュータに見つかりませんでした。\n先にインストールされているゲームの"
              "バージョンと、ダウンロードしたファイルのバージョンを確認してください。",
              IDOK);
  CInstDlg dlg;
  EXPECT_EQ(fixture::RunInstaller(dlg, args(), [] {}), IDCANCEL);
  user.verifyAllAnswered();
  ASSERT_EQ(user.prompts().size(), 1u);
  EXPECT_EQ(user.prompts()[0].caption, "追加インストール警告");
  EXPECT_EQ(user.prompts()[0].flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
}

TEST_F(StartupTest, AdditiveWithEverythingPresentKeepsTheRegisteredFolderFixed) {
  fixture::MakeFolders("C:\\Installed\\data");
  fixture::MakeFolders("C:\\Installed\\save");
  fixture::SetRegistered(kVender, kApp, "C:\\Installed\\");
  for (const char *require : {"AdditiveRequire = {\"data\", \"save\"};\n", ""}) {
    fixture::WriteInstInf(source_, BaseInf(std::string("AdditiveInstall = \"enable\";\n") + require));
    Responder user;
    CInstDlg dlg;
    std::string folder;
    bool folderEnabled = true, driveEnabled = true, browseEnabled = true;
    fixture::RunInstaller(dlg, args(), [&] {
      CancelMainDialog(user, [&](HWND d) {
        folder = driver::ItemText(d, IDC_INSTDIR);
        folderEnabled = driver::IsItemEnabled(d, IDC_INSTDIR);
        driveEnabled = driver::IsItemEnabled(d, IDC_DRIVECOMBO);
        browseEnabled = driver::IsItemEnabled(d, IDC_BROWSE);
      });
    });
    user.verifyAllAnswered();
    EXPECT_EQ(folder, "C:\\Installed\\") << require;
    EXPECT_FALSE(folderEnabled);
    EXPECT_FALSE(driveEnabled);
    EXPECT_FALSE(browseEnabled);
    EXPECT_TRUE(dlg.additive);
  }
}

TEST_F(StartupTest, CapitalisedEnableIsNoAdditionalInstallation) {
  fixture::WriteInstInf(source_, BaseInf("AdditiveInstall = \"Enable\";\n"));
  Responder user;
  CInstDlg dlg;
  bool folderEnabled = false;
  fixture::RunInstaller(dlg, args(), [&] {
    CancelMainDialog(user, [&](HWND d) { folderEnabled = driver::IsItemEnabled(d, IDC_INSTDIR); });
  });
  user.verifyAllAnswered();
  EXPECT_TRUE(folderEnabled);
  EXPECT_FALSE(dlg.additive);
}

TEST_F(StartupTest, SecondInstanceEndsWithoutAWord) {
  fixture::StartedProgram returned;
  fixture::WriteInstInf(source_, BaseInf());
  HANDLE other = CreateMutexA(nullptr, FALSE, "velk_inst");
  ASSERT_NE(other, nullptr);
  Responder user;  // any prompt fails the test
  CInstDlg dlg;
  EXPECT_EQ(fixture::RunInstaller(dlg, args(returned.path()), [] {}), IDCANCEL);
  CloseHandle(other);
  EXPECT_TRUE(user.prompts().empty());
  EXPECT_FALSE(returned.WaitForLines(1, 1500)) << "no return program for a second instance";
  EXPECT_TRUE(dlg.returnProgram.empty()) << "ended before the command line was read";
}

TEST_F(StartupTest, CommandLineArguments) {
  fixture::StartedProgram returned;
  fixture::MakeFolders("C:\\ret");
  returned.Copy("C:\\ret\\RET.EXE");
  returned.Copy("C:\\ret\\ret.com");
  // The disc in D: holds inst.inf; the second argument names it whatever the first one is.
  fixture::WriteInstInf(fixture::DriveFolder('d'), BaseInf());
  struct Case {
    std::string first;
    bool startsReturnProgram;
  } cases[] = {{"C:\\ret\\RET.EXE", true}, {"C:\\ret\\ret.com", false}};
  for (const Case &c : cases) {
    Responder user;
    CInstDlg dlg;
    fixture::RunInstaller(dlg, {c.first, "D:\\"}, [&] { CancelMainDialog(user); });
    user.verifyAllAnswered();
    EXPECT_EQ(dlg.sourceFolder, "D:\\") << c.first;
    EXPECT_EQ(dlg.returnProgram, c.startsReturnProgram ? c.first : std::string()) << c.first;
    if (c.startsReturnProgram) {
      ASSERT_TRUE(returned.WaitForLines(1)) << c.first;
      EXPECT_EQ(returned.MarkerLines().back(), c.first);
    } else {
      EXPECT_FALSE(returned.WaitForLines(2, 1500)) << c.first << " was started";
    }
  }
}

TEST_F(StartupTest, TheApplicationRunsTheMainDialogOnceAndEnds) {
  fixture::WriteInstInf(source_, BaseInf());
  static char self[] = "inst.exe";
  static std::string source;
  source = source_;
  static char *argv[] = {self, self, &source[0], nullptr};
  SetAppArgs(3, argv);
  Responder user;
  CInstApp app;
  bool mainWindowWhileRunning = false;
  INT_PTR result = driver::RunModal([&] { return static_cast<INT_PTR>(app.Run(GetModuleHandleA(nullptr))); }, [&] {
    HWND d = driver::WaitForDialog(fixture::MainCaption(kAppW));
    if (!d) return;
    mainWindowWhileRunning = app.mainWindow() != nullptr;
    user.expect("インストールを中止します。よろしいですか？", IDYES);
    driver::Click(d, IDC_INST_CANCEL);
  });
  SetAppArgs(0, nullptr);
  user.verifyAllAnswered();
  EXPECT_EQ(result, 0) << "InitInstance answers false: the program ends with its dialog";
  EXPECT_TRUE(mainWindowWhileRunning);
  EXPECT_EQ(app.mainWindow(), nullptr);
}

}  // namespace
