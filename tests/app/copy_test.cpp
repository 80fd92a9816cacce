// A whole installation through the real main dialog from a two-disc set: the copy with its disc swap, the
// phase-1 controls and progress, finishing, the exit button; and a cancel during the copy that rolls back.
#include <windows.h>

#include <string>
#include <vector>

#include "app/inst_dlg.h"
#include "app/inst_ids.h"
#include "gtest/gtest.h"
#include "tests/app/app_fixture.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/responder.h"

namespace {

const char kVender[] = "CopyMaker";
const char kApp[] = "CopyGame";
const char kAppW[] = "コピーテスト";
const char kDiscRequest[] = "ＣＤ－ＲＯＭドライブにデータディスクを挿入してください";

std::string Bytes(size_t size, char seed) {
  std::string bytes(size, '\0');
  for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(seed + i * 7 + i / 1024);
  return bytes;
}

class InstallationTest : public testing::Test {
 protected:
  void SetUp() override {
    disc1_ = fixture::DriveFolder('d');
    disc2_ = fixture::PrefixDosPath() + "\\drives\\disc2";
    fixture::FreshFolder(disc1_);
    fixture::FreshFolder(disc2_);
    fixture::MakeFolders(disc2_ + "\\data");
    fixture::WriteInstInf(disc1_, std::string("VenderName = \"") + kVender + "\";\nAppName = \"" + kApp +
                                      "\";\nAppNameW = \"" + kAppW +
                                      "\";\nInstType = {\"Full\"};\n"
                                      "Full = {\"a.dat\", \"data\\b.dat\", \"data\\c.dat\", \"d.dat\"};\n"
                                      "GameDiscID = \"GAME-1\";\nDataDiscID = \"DATA-2\";\nDataDiscSize = {\"60\"};\n"
                                      "MenuItem = {\"Play\"};\nPlay = {\"a.dat\", \"遊ぶ\"};\n"
                                      "Uninstaller = \"uninst.exe\";\nCopyToWinDir = \"wincopy.ini\";\n");
    fixture::WriteBytes(disc1_ + "\\disc.id", "GAME-1");
    fixture::WriteBytes(disc1_ + "\\a.dat", a_);
    fixture::WriteBytes(disc1_ + "\\wincopy.ini", "[copied]\r\n");
    fixture::WriteBytes(disc2_ + "\\disc.id", "DATA-2");
    // Copied from the disc in the drive when the copy has ended: the data disc after the swap.
    fixture::WriteBytes(disc2_ + "\\wincopy.ini", "[disc2]\r\n");
    fixture::WriteBytes(disc2_ + "\\data\\b.dat", b_);
    fixture::WriteBytes(disc2_ + "\\data\\c.dat", c_);
    fixture::WriteBytes(disc2_ + "\\d.dat", d_);
    fixture::RemoveTree("C:\\Target");
    fixture::SetRegistered(kVender, kApp, "");
    windowsCopy_ = windowsFolder() + "\\wincopy.ini";
    DeleteFileA(windowsCopy_.c_str());
  }
  void TearDown() override {
    // Put the game disc back where it was for the next test.
    if (!fixture::Exists(disc1_ + "\\inst.inf")) {
      MoveFileA(disc1_.c_str(), (disc2_ + "_").c_str());
      MoveFileA((disc1_ + "_first").c_str(), disc1_.c_str());
      fixture::RemoveTree(disc2_ + "_");
    }
    fixture::RemoveTree(disc2_);
    fixture::RemoveTree("C:\\Target");
    fixture::SetRegistered(kVender, kApp, "");
    DeleteFileA(windowsCopy_.c_str());
  }
  static std::string windowsFolder() {
    char folder[MAX_PATH] = {};
    GetWindowsDirectoryA(folder, MAX_PATH);
    return folder;
  }
  // Takes the game disc out of D: and puts the data disc in.
  void swapDiscs() {
    ASSERT_TRUE(MoveFileA(disc1_.c_str(), (disc1_ + "_first").c_str()));
    ASSERT_TRUE(MoveFileA(disc2_.c_str(), disc1_.c_str()));
  }
  // Waits for the main dialog, starts the installation into folder and confirms the shortcut dialog.
  HWND start(const std::string &folder) {
    HWND d = driver::WaitForDialog(fixture::MainCaption(kAppW));
    if (!d) return nullptr;
    user_.expect("インストールを開始します。よろしいですか？", IDYES);
    user_.expect("は存在しません。作成しますか？", IDYES);
    driver::SetItemText(d, IDC_INSTDIR, folder);
    driver::PostClick(d, IDC_INST_START);
    HWND shortcuts = driver::WaitForDialog("ショートカットの作成");
    if (shortcuts) driver::Click(shortcuts, IDOK);
    return d;
  }

  std::string disc1_, disc2_, windowsCopy_;
  const std::string a_ = Bytes(40 * 1024, 'a');
  const std::string b_ = Bytes(64 * 1024 + 100, 'b');
  const std::string c_ = Bytes(3000, 'c');
  const std::string d_ = Bytes(1, 'd');
  Responder user_;
  CInstDlg dialog_;
};

struct ControlState {
  int id;
  bool visible, enabled;
};

void ExpectStates(HWND d, const std::vector<ControlState> &states, const char *when) {
  for (const ControlState &s : states) {
    EXPECT_EQ(IsWindowVisible(GetDlgItem(d, s.id)) != FALSE, s.visible) << when << ": " << s.id;
    EXPECT_EQ(IsWindowEnabled(GetDlgItem(d, s.id)) != FALSE, s.enabled) << when << ": " << s.id;
  }
}

TEST_F(InstallationTest, TwoDiscsCopiedRegisteredAndExited) {
  fixture::StartedProgram returned;
  int phaseAtSwap = -1, barAtSwap = -1;
  std::string textAtSwap;
  user_.expect(kDiscRequest, IDOK, [&](const Prompt &p) {
    HWND d = dialog_.hwnd();
    phaseAtSwap = dialog_.phase;
    barAtSwap = static_cast<int>(SendMessageA(GetDlgItem(d, IDC_PROGRESS), PBM_GETPOS, 0, 0));
    textAtSwap = driver::WindowText(GetDlgItem(d, IDC_PROGRESS_TEXT));
    EXPECT_EQ(p.caption, "ディスク入れ替え");
    ExpectStates(d,
                 {{IDC_DEST_GROUP, true, true}, {IDC_DRIVECOMBO, true, false}, {IDC_INSTDIR, true, false},
                  {IDC_BROWSE, true, false}, {IDC_TYPECOMBO, false, false}, {IDC_NEEDCAP, true, true},
                  {IDC_FREECAP, true, true}, {IDC_PROGRESS, true, true}, {IDC_PROGRESS_TEXT, true, true},
                  {IDC_FINISH_TEXT, false, true}, {IDC_PICTURE, true, true}, {IDC_INST_START, true, false},
                  {IDC_INST_CANCEL, true, true}},
                 "copying");
    swapDiscs();
  });
  user_.expect("インストールが完了しました。", IDOK);
  INT_PTR result = fixture::RunInstaller(dialog_, {returned.path(), "D:\\"}, [&] {
    HWND d = start("C:\\Target\\Game");
    if (!d) return;
    ASSERT_TRUE(driver::WaitUntil(
        [&] { return driver::ItemText(d, IDC_INST_START) == "終了" && driver::IsItemEnabled(d, IDC_INST_START); },
        30000));
    ExpectStates(d,
                 {{IDC_DEST_GROUP, false, true}, {IDC_DRIVE_LABEL, false, true}, {IDC_FOLDER_LABEL, false, true},
                  {IDC_DRIVECOMBO, false, false}, {IDC_INSTDIR, false, false}, {IDC_BROWSE, false, false},
                  {IDC_TYPE_GROUP, false, true}, {IDC_TYPECOMBO, false, false}, {IDC_TYPEDESC, false, true},
                  {IDC_NEEDCAP_LABEL, false, true}, {IDC_FREECAP_LABEL, false, true}, {IDC_NEEDCAP, false, true},
                  {IDC_FREECAP, false, true}, {IDC_PROGRESS, false, true}, {IDC_PROGRESS_TEXT, false, true},
                  {IDC_FINISH_TEXT, true, true}, {IDC_PICTURE, true, true}, {IDC_INST_START, true, true},
                  {IDC_INST_CANCEL, true, false}},
                 "done");
    EXPECT_EQ(SendMessageA(driver::Item(d, IDC_PROGRESS), PBM_GETPOS, 0, 0), 100);
    EXPECT_EQ(dialog_.phase, PHASE_DONE);
    // Esc does nothing while the cancel button is disabled.
    driver::PressEscape(d);
    Sleep(300);
    EXPECT_TRUE(IsWindow(d));
    driver::Click(d, IDC_INST_START);
  }, 30000);
  EXPECT_EQ(result, IDOK);
  user_.verifyAllAnswered();

  EXPECT_EQ(phaseAtSwap, PHASE_COPYING);
  // a.dat (40 KB) of a total of 100 KB (40 KB on the game disc and 60 KB declared for the data disc).
  EXPECT_EQ(barAtSwap, 40);
  EXPECT_EQ(textAtSwap.rfind("コピー中...40.0%\n残り時間: 約", 0), 0u) << Utf8FromCp932(textAtSwap);

  EXPECT_EQ(fixture::ReadBytes("C:\\Target\\Game\\a.dat"), a_);
  EXPECT_EQ(fixture::ReadBytes("C:\\Target\\Game\\data\\b.dat"), b_);
  EXPECT_EQ(fixture::ReadBytes("C:\\Target\\Game\\data\\c.dat"), c_);
  EXPECT_EQ(fixture::ReadBytes("C:\\Target\\Game\\d.dat"), d_);
  EXPECT_EQ(fixture::RegisteredFolder(kVender, kApp), "C:\\Target\\Game\\");
  EXPECT_EQ(fixture::ReadBytes(windowsCopy_), "[disc2]\r\n") << "CopyToWinDir follows the copy";
  ASSERT_TRUE(returned.WaitForLines(1));
  EXPECT_EQ(returned.MarkerLines()[0], returned.path());
  EXPECT_EQ(dialog_.mutex, nullptr) << "the exit closes the mutex";
}

class CancelDuringCopyTest : public InstallationTest, public testing::WithParamInterface<bool> {};

// The cancel button, or Esc, pressed while the data disc is being read.
TEST_P(CancelDuringCopyTest, RollsBackAndEnds) {
  const bool byEscape = GetParam();
  fixture::StartedProgram returned;
  HWND owner = nullptr;
  user_.expect(kDiscRequest, IDOK, [&](const Prompt &) {
    swapDiscs();
    if (byEscape) {
      driver::PressEscape(dialog_.hwnd());
    } else {
      driver::PostClick(dialog_.hwnd(), IDC_INST_CANCEL);
    }
  });
  user_.expect("インストールを中止します。よろしいですか？", IDYES);
  user_.expect("インストールが中断されました。終了します", IDOK, [&](const Prompt &p) { owner = p.owner; });
  INT_PTR result = fixture::RunInstaller(dialog_, {returned.path(), "D:\\"}, [&] { start("C:\\Target\\Cancel"); },
                                         30000);
  EXPECT_EQ(result, IDCANCEL);
  user_.verifyAllAnswered();
  std::vector<Prompt> prompts = user_.prompts();
  ASSERT_FALSE(prompts.empty());
  EXPECT_EQ(prompts.back().caption, "終了");
  EXPECT_EQ(prompts.back().flags, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
  EXPECT_NE(owner, nullptr) << "owned by the main dialog";

  EXPECT_FALSE(fixture::Exists("C:\\Target\\Cancel\\a.dat"));
  EXPECT_FALSE(fixture::Exists("C:\\Target\\Cancel\\data")) << "emptied folders are removed";
  EXPECT_FALSE(fixture::Exists("C:\\Target\\Cancel\\d.dat"));
  EXPECT_TRUE(fixture::IsFolder("C:\\Target\\Cancel")) << "the destination folder itself stays";
  EXPECT_EQ(fixture::RegisteredFolder(kVender, kApp), "") << "nothing registered";
  EXPECT_TRUE(fixture::Exists(windowsCopy_)) << "CopyToWinDir follows the copy whatever its outcome";
  EXPECT_TRUE(returned.WaitForLines(1)) << "the cancel starts the return program";
  EXPECT_FALSE(dialog_.settings.prepared);
}

INSTANTIATE_TEST_SUITE_P(ButtonOrEscape, CancelDuringCopyTest, testing::Bool());

TEST_F(InstallationTest, AFullDiskEndsWithTheErrorMessageAndRollsBack) {
  // T: holds 1 MB; the game disc's big file does not fit.
  fixture::WriteInstInf(disc1_, std::string("VenderName = \"") + kVender + "\";\nAppName = \"" + kApp +
                                    "\";\nAppNameW = \"" + kAppW +
                                    "\";\nInstType = {\"Full\"};\nFull = {\"a.dat\", \"big\\big.dat\"};\n");
  fixture::MakeFolders(disc1_ + "\\big");
  fixture::WriteBytes(disc1_ + "\\big\\big.dat", Bytes(2 * 1024 * 1024, 'g'));
  user_.expect("選択されたドライブは、インストールに必要な容量が足りない可能性があります。", IDYES);
  user_.expect("ファイルの書き込みに失敗しました。", IDCANCEL);
  user_.expect("インストール中にエラーが発生しました。終了します", IDOK);
  INT_PTR result = fixture::RunInstaller(dialog_, {"x", "D:\\"}, [&] { start("T:\\Game"); }, 30000);
  EXPECT_EQ(result, IDCANCEL);
  user_.verifyAllAnswered();
  std::vector<Prompt> prompts = user_.prompts();
  ASSERT_FALSE(prompts.empty());
  EXPECT_EQ(prompts.back().text, "インストール中にエラーが発生しました。終了します");
  EXPECT_EQ(prompts.back().caption, "終了");
  EXPECT_EQ(prompts.back().flags, static_cast<UINT>(MB_OK | MB_ICONINFORMATION));
  EXPECT_FALSE(fixture::Exists("T:\\Game\\a.dat"));
  EXPECT_FALSE(fixture::Exists("T:\\Game\\big"));
  EXPECT_TRUE(fixture::IsFolder("T:\\Game"));
}

TEST_F(InstallationTest, AdditionalInstallationSkipsTheShortcutDialog) {
  fixture::WriteInstInf(disc1_, std::string("VenderName = \"") + kVender + "\";\nAppName = \"" + kApp +
                                    "\";\nAppNameW = \"" + kAppW +
                                    "\";\nInstType = {\"Add\"};\nAdd = {\"a.dat\"};\nAdditiveInstall = \"enable\";\n");
  fixture::MakeFolders("C:\\Target\\Installed");
  fixture::SetRegistered(kVender, kApp, "C:\\Target\\Installed\\");
  user_.expect("インストールを開始します。よろしいですか？", IDYES);
  user_.expect("追加インストールが完了しました。", IDOK);
  INT_PTR result = fixture::RunInstaller(dialog_, {"x", "D:\\"}, [&] {
    HWND d = driver::WaitForDialog(fixture::MainCaption(kAppW));
    if (!d) return;
    // The destination is fixed: the start button is the only way on.
    driver::PostClick(d, IDC_INST_START);
    ASSERT_TRUE(driver::WaitUntil(
        [&] { return driver::ItemText(d, IDC_INST_START) == "終了" && driver::IsItemEnabled(d, IDC_INST_START); },
        30000));
    driver::Click(d, IDC_INST_START);
  }, 30000);
  EXPECT_EQ(result, IDOK);
  user_.verifyAllAnswered();
  EXPECT_EQ(user_.prompts().size(), 2u) << "no folder question, no shortcut dialog";
  EXPECT_EQ(fixture::ReadBytes("C:\\Target\\Installed\\a.dat"), a_);
  EXPECT_FALSE(dialog_.desktopShortcut);
  EXPECT_EQ(dialog_.programGroup, std::string(kVender) + "\\" + kAppW);
}

}  // namespace
