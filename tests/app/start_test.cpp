// The start button in phase 0: the path check, the questions and their order, the space question, the
// destination length, and a shortcut dialog cancelled after the folder was made.
#include <windows.h>

#include <string>
#include <vector>

#include "app/inst_dlg.h"
#include "app/inst_ids.h"
#include "copy/drive_space.h"
#include "gtest/gtest.h"
#include "tests/app/app_fixture.h"
#include "tests/support/dialog_driver.h"
#include "tests/support/responder.h"

namespace {

const char kVender[] = "StartMaker";
const char kApp[] = "StartGame";
const char kAppW[] = "開始テスト";
const char kQ1[] = "インストールを開始します。よろしいですか？";

std::string Inf(const std::string &rest) {
  return std::string("VenderName = \"") + kVender + "\";\nAppName = \"" + kApp + "\";\nAppNameW = \"" + kAppW +
         "\";\n" + rest;
}
const char kOneType[] = "InstType = {\"Full\"};\nFull = {\"a.dat\", \"longest_entry.dat\"};\n";

class StartSequenceTest : public testing::Test {
 protected:
  void SetUp() override {
    fixture::FreshFolder(source_);
    fixture::RemoveTree("C:\\Target");
    fixture::SetRegistered(kVender, kApp, "");
  }
  void TearDown() override {
    fixture::RemoveTree(source_);
    fixture::RemoveTree("C:\\Target");
    fixture::SetRegistered(kVender, kApp, "");
  }
  // Runs the dialog on inst.inf text; script gets the main dialog, which is then cancelled.
  void run(const std::string &inf, const std::function<void(HWND)> &script) {
    fixture::WriteInstInf(source_, inf);
    fixture::RunInstaller(dialog_, {"x", source_}, [&] {
      HWND d = driver::WaitForDialog(fixture::MainCaption(kAppW));
      if (!d) return;
      main_ = d;
      script(d);
      if (!IsWindow(d)) return;
      user_.expect("インストールを中止します。よろしいですか？", IDYES);
      driver::Click(d, IDC_INST_CANCEL);
    });
    user_.verifyAllAnswered();
  }
  // The prompts of one press of the start button.
  std::vector<Prompt> press(HWND d, const std::string &folder) {
    size_t before = user_.prompts().size();
    driver::SetItemText(d, IDC_INSTDIR, folder);
    driver::Click(d, IDC_INST_START);
    std::vector<Prompt> all = user_.prompts();
    EXPECT_EQ(dialog_.phase, PHASE_SETUP);
    EXPECT_TRUE(driver::IsItemEnabled(d, IDC_INST_START)) << "every stop leaves the dialog ready to try again";
    return std::vector<Prompt>(all.begin() + static_cast<long>(before), all.end());
  }

  const std::string source_ = "C:\\start_src";
  Responder user_;
  CInstDlg dialog_;
  HWND main_ = nullptr;
};

TEST_F(StartSequenceTest, PathCheckMessagesComeBeforeTheQuestion) {
  const std::string e1 =
      "インストール先フォルダに不適切な文字を含んでいます。以下の文字はフォルダ名には使用できません\n\t/ : * ? \" < > |";
  const std::string e2 = "インストール先フォルダにドライブが指定されていません。";
  const std::string e3 = "インストール先のドライブが不適切なドライブ名です。";
  struct Case {
    const char *folder;
    std::string text;
    const char *caption;
  } cases[] = {
      {"C:\\Ga:mes", e1, "不適切なフォルダ名"}, {"C:\\Games\\a?b", e1, "不適切なフォルダ名"},
      {"C:\\Games\\a|b", e1, "不適切なフォルダ名"}, {"Games\\Title", e2, "不適切なフォルダ名"},
      {"D:\\Game", e3, "不適切なドライブ名"},     {"N:\\Game", e3, "不適切なドライブ名"},
  };
  run(Inf(kOneType), [&](HWND d) {
    for (const Case &c : cases) {
      user_.expect(c.text, IDOK);
      std::vector<Prompt> prompts = press(d, c.folder);
      ASSERT_EQ(prompts.size(), 1u) << c.folder;
      EXPECT_EQ(prompts[0].text, c.text) << c.folder;
      EXPECT_EQ(prompts[0].caption, c.caption) << c.folder;
      EXPECT_EQ(prompts[0].flags, static_cast<UINT>(MB_OK | MB_ICONERROR)) << c.folder;
      EXPECT_EQ(prompts[0].owner, d) << c.folder;
    }
    // "ポ" ends in the byte of "|": no forbidden character, so the question follows.
    user_.expect(kQ1, IDNO);
    std::vector<Prompt> prompts = press(d, "C:\\ポ");
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].text, kQ1);
  });
}

TEST_F(StartSequenceTest, EachNoStopsAndTheNextPressAsksAgain) {
  DWORD freeKB = 0;
  ASSERT_TRUE(getDiskFreeKB("T:\\", &freeKB));
  run(Inf("InstType = {\"Equal\", \"More\"};\nDataDiscSize = {\"" + std::to_string(freeKB) + "\", \"" +
          std::to_string(freeKB + 1) + "\"};\n"),
      [&](HWND d) {
        user_.expect(kQ1, IDNO);
        std::vector<Prompt> q1 = press(d, "T:\\Game");
        ASSERT_EQ(q1.size(), 1u);
        EXPECT_EQ(q1[0].caption, "確認");
        EXPECT_EQ(q1[0].flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
        EXPECT_EQ(q1[0].owner, d);

        // One KB more than free: Q2 with No preselected.
        driver::SelectComboText(d, IDC_TYPECOMBO, "More");
        user_.expect(kQ1, IDYES);
        user_.expect("選択されたドライブは、インストールに必要な容量が足りない可能性があります。", IDNO);
        std::vector<Prompt> q2 = press(d, "T:\\Game");
        ASSERT_EQ(q2.size(), 2u);
        EXPECT_EQ(q2[1].text,
                  "選択されたドライブは、インストールに必要な容量が足りない可能性があります。\nインストールを強行しますか？");
        EXPECT_EQ(q2[1].caption, "強行の確認");
        EXPECT_EQ(q2[1].flags, static_cast<UINT>(MB_YESNO | MB_ICONERROR | MB_DEFBUTTON2));
        EXPECT_EQ(q2[1].owner, d);

        // Forced, then the folder question, declined.
        user_.expect(kQ1, IDYES);
        user_.expect("インストールに必要な容量が足りない", IDYES);
        user_.expect("は存在しません。作成しますか？", IDNO);
        EXPECT_EQ(press(d, "T:\\Game").size(), 3u);
        EXPECT_FALSE(fixture::Exists("T:\\Game"));

        // Needed equal to free: no space question (although the free space is red).
        driver::SelectComboText(d, IDC_TYPECOMBO, "Equal");
        user_.expect(kQ1, IDYES);
        user_.expect("は存在しません。作成しますか？", IDNO);
        std::vector<Prompt> q3 = press(d, "T:\\Game");
        ASSERT_EQ(q3.size(), 2u);
        EXPECT_EQ(q3[1].text, "指定されたフォルダT:\\Game\\は存在しません。作成しますか？");
        EXPECT_EQ(q3[1].owner, nullptr) << "the destination check's messages have no owner";
      });
}

TEST_F(StartSequenceTest, NoInstallTypeIsE4) {
  run(Inf(""), [&](HWND d) {
    user_.expect(kQ1, IDYES);
    user_.expect("インストールタイプの選択が不正です", IDOK);
    std::vector<Prompt> prompts = press(d, "C:\\Target");
    ASSERT_EQ(prompts.size(), 2u);
    EXPECT_EQ(prompts[1].caption, "エラー");
    EXPECT_EQ(prompts[1].flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
    EXPECT_EQ(prompts[1].owner, d);
  });
}

TEST_F(StartSequenceTest, BlanksAreTrimmedAndTheDestinationLengthIsBounded) {
  // dest (with its backslash) + the longest entry (17) + 2 = 260 is accepted, 261 refused.
  const std::string accepted = "C:\\" + std::string(241 - 4, 'p');
  const std::string refused = "C:\\" + std::string(242 - 4, 'p');
  run(Inf(kOneType), [&](HWND d) {
    user_.expect(kQ1, IDYES);
    user_.expect("は存在しません。作成しますか？", IDNO);
    std::vector<Prompt> prompts = press(d, "  " + accepted + "  ");
    ASSERT_EQ(prompts.size(), 2u);
    EXPECT_EQ(prompts[1].text, "指定されたフォルダ" + accepted + "\\は存在しません。作成しますか？");

    user_.expect(kQ1, IDYES);
    user_.expect("が長すぎるため", IDOK);
    prompts = press(d, refused);
    ASSERT_EQ(prompts.size(), 2u);
    EXPECT_EQ(prompts[1].text, "インストール先フォルダ\"" + refused +
                                   "\\\"\nが長すぎるため、インストールできません。インストール先を変更してください。");
    EXPECT_EQ(prompts[1].caption, "フォルダ名が長すぎます");
    EXPECT_EQ(prompts[1].owner, nullptr);

    // A folder that does not fit a path buffer at all is refused before anything else.
    const std::string huge = "C:\\" + std::string(300, 'q');
    user_.expect("が長すぎるため", IDOK);
    prompts = press(d, huge);
    ASSERT_EQ(prompts.size(), 1u);
    EXPECT_EQ(prompts[0].caption, "フォルダ名が長すぎます");
    EXPECT_EQ(prompts[0].owner, d);
  });
}

TEST_F(StartSequenceTest, CancelledShortcutDialogKeepsTheNewFolder) {
  std::string group;
  run(Inf(kOneType), [&](HWND d) {
    user_.expect(kQ1, IDYES);
    user_.expect("は存在しません。作成しますか？", IDYES);
    driver::SetItemText(d, IDC_INSTDIR, "C:\\Target\\Game");
    driver::PostClick(d, IDC_INST_START);
    HWND shortcuts = driver::WaitForDialog("ショートカットの作成");
    if (!shortcuts) return;
    group = driver::ItemText(shortcuts, 1020);
    EXPECT_FALSE(IsWindowEnabled(d)) << "the main dialog takes no input while the shortcut dialog is open";
    EXPECT_TRUE(fixture::IsFolder("C:\\Target\\Game"));
    driver::Click(shortcuts, IDCANCEL);
    driver::WaitForClose(shortcuts);
    ASSERT_TRUE(driver::WaitUntil([&] { return IsWindowEnabled(d) != FALSE; }));
    EXPECT_FALSE(dialog_.settings.prepared) << "the prepared job is forgotten";
    EXPECT_FALSE(dialog_.settings.copyJob.isRunning());
    EXPECT_TRUE(fixture::IsFolder("C:\\Target\\Game")) << "the folder made stays";

    // The next press finds the folder and asks Q4.
    user_.expect(kQ1, IDYES);
    user_.expect("は既に存在します。", IDNO);
    std::vector<Prompt> prompts = press(d, "C:\\Target\\Game");
    ASSERT_EQ(prompts.size(), 2u);
    EXPECT_EQ(prompts[1].text.find("指定されたフォルダ\"C:\\Target\\Game\\\"は既に存在します。"), 0u);
  });
  EXPECT_EQ(group, std::string(kVender) + "\\" + kAppW);
}

TEST_F(StartSequenceTest, AdditiveFolderDeletedSinceStartUpStopsSilently) {
  fixture::MakeFolders("C:\\Target\\Old");
  fixture::SetRegistered(kVender, kApp, "C:\\Target\\Old\\");
  run(Inf(std::string(kOneType) + "AdditiveInstall = \"enable\";\n"), [&](HWND d) {
    fixture::RemoveTree("C:\\Target\\Old");
    user_.expect(kQ1, IDYES);
    size_t before = user_.prompts().size();
    driver::Click(d, IDC_INST_START);
    EXPECT_EQ(user_.prompts().size(), before + 1) << "only the question";
    EXPECT_EQ(dialog_.phase, PHASE_SETUP);
    EXPECT_FALSE(dialog_.settings.prepared);
  });
}

}  // namespace
