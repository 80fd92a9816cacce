// The destination check of the settings: length limit, the folder questions, creation, and what it prepares.
#include <windows.h>

#include <string>

#include "app/inst_settings.h"
#include "gtest/gtest.h"
#include "tests/app/app_fixture.h"
#include "tests/support/responder.h"

namespace {

class CheckInstDirTest : public testing::Test {
 protected:
  void SetUp() override {
    fixture::FreshFolder(source_);
    fixture::RemoveTree(dest_);
    // 2048 bytes count 2 KB, 1023 bytes count 0 KB.
    fixture::WriteBytes(source_ + "\\two.dat", std::string(2048, 'a'));
    fixture::WriteBytes(source_ + "\\small.dat", std::string(1023, 'b'));
    type_.entries = {"two.dat", "small.dat", "missing.dat"};
  }
  void TearDown() override {
    fixture::RemoveTree(source_);
    fixture::RemoveTree(dest_);
  }
  void load(const std::string &text) {
    fixture::WriteInstInf(source_, text);
    InstTypeList types;
    ASSERT_EQ(settings_.loadInstInf((source_ + "\\inst.inf").c_str(), types), 0);
  }

  const std::string source_ = "C:\\dircheck_src";
  const std::string dest_ = "C:\\dircheck_dest";
  InstTypeInfo type_{"Full"};
  InstSettings settings_;
};

TEST_F(CheckInstDirTest, NewFolderAskedCreatedAndPrepared) {
  load("DataDiscSize = {\"100\", \"7\"};\n");
  settings_.selectedTypeIndex = 1;
  Responder user;
  user.expect("は存在しません。作成しますか？", IDYES);
  std::string dest = dest_ + "\\sub\\";
  EXPECT_EQ(settings_.checkInstDir(type_, (source_ + "\\").c_str(), dest.c_str()), INSTDIR_OK);
  user.verifyAllAnswered();
  ASSERT_EQ(user.prompts().size(), 1u);
  const Prompt q3 = user.prompts()[0];
  EXPECT_EQ(q3.text, "指定されたフォルダ" + dest + "は存在しません。作成しますか？");
  EXPECT_EQ(q3.caption, "確認");
  EXPECT_EQ(q3.flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(q3.owner, nullptr);
  EXPECT_TRUE(fixture::IsFolder(dest));

  EXPECT_TRUE(settings_.prepared);
  EXPECT_TRUE(settings_.copyJob.isRunning());
  EXPECT_STREQ(settings_.copyJob.destinationFolder(), dest.c_str());
  EXPECT_STREQ(settings_.copyJob.sourceFolder(), (source_ + "\\").c_str());
  EXPECT_EQ(settings_.totalKB, 7u + 2u) << "DataDiscSize of the selected type plus the entries' sizes";
  EXPECT_EQ(settings_.copiedKB, 0u);
  EXPECT_EQ(settings_.chosenType.name, "Full");
  EXPECT_EQ(settings_.chosenType.entries, type_.entries);
  EXPECT_FALSE(settings_.additive);
}

TEST_F(CheckInstDirTest, DeclinedQuestionsReturnTwoAndPrepareNothing) {
  load("");
  {
    Responder user;
    user.expect("は存在しません。作成しますか？", IDNO);
    EXPECT_EQ(settings_.checkInstDir(type_, (source_ + "\\").c_str(), (dest_ + "\\").c_str()), INSTDIR_DECLINED);
    user.verifyAllAnswered();
    EXPECT_FALSE(fixture::Exists(dest_));
  }
  fixture::MakeFolders(dest_);
  {
    Responder user;
    user.expect("は既に存在します。", IDNO);
    EXPECT_EQ(settings_.checkInstDir(type_, (source_ + "\\").c_str(), (dest_ + "\\").c_str()), INSTDIR_DECLINED);
    user.verifyAllAnswered();
    ASSERT_EQ(user.prompts().size(), 1u);
    EXPECT_EQ(user.prompts()[0].text,
              "指定されたフォルダ\"" + dest_ +
                  "\\\"は既に存在します。\nこのフォルダにインストールした場合、このフォルダに含まれるファイルが上書き"
                  "される恐れがあります。続行しますか？");
    EXPECT_EQ(user.prompts()[0].caption, "確認");
    EXPECT_EQ(user.prompts()[0].flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
  }
  EXPECT_FALSE(settings_.prepared);
  EXPECT_FALSE(settings_.copyJob.isRunning());
}

TEST_F(CheckInstDirTest, EntryPathsMustFitAPathBuffer) {
  load("");
  // dest is "C:\" + padding + "\" ; the longest entry plus dest plus 2 is 260 (accepted) or 261 (refused).
  for (size_t total : {size_t(260), size_t(261)}) {
    InstTypeInfo type("Long");
    type.entries = {"a.dat", "longest_entry.dat", "b"};
    size_t destLength = total - 2 - std::string("longest_entry.dat").size();
    std::string dest = "C:\\" + std::string(destLength - 4, 'p') + "\\";
    ASSERT_EQ(dest.size(), destLength);
    Responder user;
    if (total == 260) {
      user.expect("は存在しません。作成しますか？", IDNO);
      EXPECT_EQ(settings_.checkInstDir(type, (source_ + "\\").c_str(), dest.c_str()), INSTDIR_DECLINED);
    } else {
      user.expect("が長すぎるため", IDOK);
      EXPECT_EQ(settings_.checkInstDir(type, (source_ + "\\").c_str(), dest.c_str()), INSTDIR_ERROR);
      ASSERT_EQ(user.prompts().size(), 1u);
      EXPECT_EQ(user.prompts()[0].text,
                "インストール先フォルダ\"" + dest +
                    "\"\nが長すぎるため、インストールできません。インストール先を変更してください。");
      EXPECT_EQ(user.prompts()[0].caption, "フォルダ名が長すぎます");
      EXPECT_EQ(user.prompts()[0].flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
      EXPECT_EQ(user.prompts()[0].owner, nullptr);
    }
    user.verifyAllAnswered();
  }
}

TEST_F(CheckInstDirTest, AdditiveInstallationAsksNothing) {
  load("AdditiveInstall = enable ;\n");
  Responder user;
  // A missing folder ends silently.
  EXPECT_EQ(settings_.checkInstDir(type_, (source_ + "\\").c_str(), (dest_ + "\\").c_str()), INSTDIR_ERROR);
  EXPECT_TRUE(settings_.additive);
  EXPECT_FALSE(fixture::Exists(dest_));
  // An existing one is taken without Q4.
  fixture::MakeFolders(dest_);
  EXPECT_EQ(settings_.checkInstDir(type_, (source_ + "\\").c_str(), (dest_ + "\\").c_str()), INSTDIR_OK);
  EXPECT_TRUE(settings_.prepared);
  EXPECT_TRUE(user.prompts().empty());
}

TEST_F(CheckInstDirTest, OnlyTheExactWordMakesItAdditive) {
  load("AdditiveInstall = Enable ;\n");
  fixture::MakeFolders(dest_);
  Responder user;
  user.expect("は既に存在します。", IDYES);
  EXPECT_EQ(settings_.checkInstDir(type_, (source_ + "\\").c_str(), (dest_ + "\\").c_str()), INSTDIR_OK);
  EXPECT_FALSE(settings_.additive);
  user.verifyAllAnswered();
}

TEST_F(CheckInstDirTest, APreparedJobIsNotPreparedAgain) {
  load("DataDiscSize = {\"5\"};\n");
  fixture::MakeFolders(dest_);
  Responder user;
  user.expect("は既に存在します。", IDYES, nullptr, 2);
  ASSERT_EQ(settings_.checkInstDir(type_, (source_ + "\\").c_str(), (dest_ + "\\").c_str()), INSTDIR_OK);
  EXPECT_EQ(settings_.totalKB, 7u);
  settings_.copiedKB = 3;
  InstTypeInfo other("Other");
  EXPECT_EQ(settings_.checkInstDir(other, (source_ + "\\").c_str(), (dest_ + "\\").c_str()), INSTDIR_OK);
  EXPECT_EQ(settings_.chosenType.name, "Full");
  EXPECT_EQ(settings_.copiedKB, 3u);
  user.verifyAllAnswered();
}

TEST_F(CheckInstDirTest, MessagesGoThroughTheMessageRoutine) {
  load("");
  static int calls = 0;
  settings_.messageRoutine = [](HWND owner, LPCSTR, LPCSTR, UINT) -> int {
    ++calls;
    EXPECT_EQ(owner, nullptr);
    return IDNO;
  };
  Responder user;  // nothing may reach the prompt seam
  EXPECT_EQ(settings_.checkInstDir(type_, (source_ + "\\").c_str(), (dest_ + "\\").c_str()), INSTDIR_DECLINED);
  EXPECT_EQ(calls, 1);
  EXPECT_TRUE(user.prompts().empty());
  settings_.reset();
  user.expect("は存在しません。", IDNO);
  EXPECT_EQ(settings_.checkInstDir(type_, (source_ + "\\").c_str(), (dest_ + "\\").c_str()), INSTDIR_DECLINED);
  user.verifyAllAnswered();
}

}  // namespace
