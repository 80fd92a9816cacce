// The installer flow's pure parts: the size format, the copy status text and bar, reading inst.inf into the
// install types, and the settings' copy state.
#include <windows.h>

#include <cmath>
#include <limits>
#include <string>
#include <vector>

#include "app/inst_dlg.h"
#include "app/inst_settings.h"
#include "app/path_text.h"
#include "gtest/gtest.h"
#include "tests/app/app_fixture.h"
#include "tests/support/responder.h"

namespace {

TEST(SizeFormat, MegabytesBelowOneGigabyteAndGigabytesFromThere) {
  struct Case {
    DWORD kb;
    const char *text;
  } cases[] = {
      {0, "0.00 [MB]"},         {1536, "1.50 [MB]"},       {1023, "1.00 [MB]"},
      {1048575, "1024.00 [MB]"}, {1048576, "1.00 [GB]"},   {5767168, "5.50 [GB]"},
      {0xFFFFFFFFu, "4096.00 [GB]"},
  };
  for (const Case &c : cases) EXPECT_EQ(CInstDlg::formatSizeKB(c.kb), c.text) << c.kb << " KB";
}

TEST(CopyStatusText, TextAndBarByFractionAndElapsedTime) {
  const double undefined = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    double f;
    DWORD elapsedMs;
    int percent;
    const char *text;
    int bar;  // -1: not moved
  } cases[] = {
      {0.0, 5000, 0, "", -1},
      {0.009, 5000, 0, "", -1},
      {undefined, 5000, 0, "", -1},
      {1.0000001, 5000, 100, "", -1},
      {2.5, 5000, 250, "", -1},
      {0.01, 1000, 1, "コピー中...1.0%", 1},
      {0.05, 60000, 5, "コピー中...5.0%", 5},
      {0.0999, 60000, 9, "コピー中...10.0%", 9},
      // 180000 ms remain: three whole minutes, shown as about four.
      {0.25, 60000, 25, "コピー中...25.0%\n残り時間: 約4分", 25},
      {0.1, 0, 10, "コピー中...10.0%\n残り時間: 約1分", 10},
      {0.4, 100000, 40, "コピー中...40.0%\n残り時間: 約3分", 40},
      {0.5, 100000, 50, "コピー中...50.0%\n残り時間: 1分40秒", 50},
      // 15000 ms remain, rounded down to ten seconds; 7000 ms are shown as they are.
      {0.75, 45000, 75, "コピー中...75.0%\n残り時間: 0分10秒", 75},
      {0.75, 21000, 75, "コピー中...75.0%\n残り時間: 0分7秒", 75},
      {0.5, 10000, 50, "コピー中...50.0%\n残り時間: 0分10秒", 50},
      {0.5, 10500, 50, "コピー中...50.0%\n残り時間: 0分10秒", 50},
      {0.625, 50000, 62, "コピー中...62.5%\n残り時間: 0分30秒", 62},
      {1.0, 123456, 100, "コピー中...100.0%\n残り時間: 0分0秒", 100},
  };
  for (const Case &c : cases) {
    int bar = 12345;
    std::string text = CInstDlg::copyStatusText(c.f, c.elapsedMs, c.percent, &bar);
    EXPECT_EQ(text, c.text) << "f=" << c.f << " elapsed=" << c.elapsedMs << ": " << Utf8FromCp932(text);
    EXPECT_EQ(bar, c.bar) << "f=" << c.f;
  }
}

TEST(CopyStatusText, LongCopiesDoNotOverflowTheEstimate) {
  // 4e9 ms elapsed at 12.5 %: 28e9 ms remain, more than 32 bits hold.
  int bar = 0;
  std::string text = CInstDlg::copyStatusText(0.125, 4000000000u, 12, &bar);
  EXPECT_EQ(text, "コピー中...12.5%\n残り時間: 約466667分");
}

TEST(PathText, BackslashesAndBlanks) {
  EXPECT_TRUE(EndsWithBackslash("C:\\a\\"));
  EXPECT_FALSE(EndsWithBackslash("C:\\a"));
  // "表" is 0x95 0x5C in cp932: its second byte is no backslash.
  EXPECT_FALSE(EndsWithBackslash("C:\\表"));
  EXPECT_TRUE(EndsWithBackslash("C:\\表\\"));
  std::string path = "C:\\表";
  AddBackslash(path);
  EXPECT_EQ(path, "C:\\表\\");
  std::string empty;
  AddBackslash(empty);
  EXPECT_EQ(empty, "");
  EXPECT_EQ(TrimBlanks("  C:\\a b\\  "), "C:\\a b\\");
  EXPECT_EQ(TrimBlanks("   "), "");
}

class LoadInstInfTest : public testing::Test {
 protected:
  void SetUp() override { fixture::FreshFolder(folder_); }
  void TearDown() override { fixture::RemoveTree(folder_); }
  std::string infPath() const { return folder_ + "\\inst.inf"; }
  const std::string folder_ = "C:\\loadinf";
};

TEST_F(LoadInstInfTest, TypesInFileOrderWithTheirEntries) {
  fixture::WriteInstInf(folder_,
                        "InstType = {\"標準\", \"Alpha\", \"NoKey\", \"Alpha\"};\n"
                        "標準 = {\"game.exe\", \"data\\a.dat\"};\n"
                        "Alpha = {\"a.exe\"};\n"
                        "GameDiscID = {\"G1\"};\n");
  InstSettings settings;
  InstTypeList types;
  ASSERT_EQ(settings.loadInstInf(infPath().c_str(), types), 0);
  ASSERT_EQ(types.types.size(), 4u);
  EXPECT_EQ(types.count, 4);
  std::vector<std::string> names;
  for (const InstTypeInfo &type : types.types) names.push_back(type.name);
  EXPECT_EQ(names, (std::vector<std::string>{"標準", "Alpha", "NoKey", "Alpha"}));
  auto type = types.types.begin();
  EXPECT_EQ(type->entries, (std::list<std::string>{"game.exe", "data\\a.dat"}));
  ++type;
  EXPECT_EQ(type->entries, (std::list<std::string>{"a.exe"}));
  ++type;
  EXPECT_TRUE(type->entries.empty()) << "a name that is no key has no entries";
  ++type;
  EXPECT_EQ(type->entries, (std::list<std::string>{"a.exe"})) << "a duplicate name is a type of its own";
  // The values stay in the store after the file was closed.
  EXPECT_EQ(settings.inf.get("GameDiscID", 0), "G1");
}

TEST_F(LoadInstInfTest, MissingOrTooLongPathIsThree) {
  InstSettings settings;
  InstTypeList types;
  EXPECT_EQ(settings.loadInstInf((folder_ + "\\none.inf").c_str(), types), 3);
  std::string longPath = "C:\\" + std::string(300, 'x') + "\\inst.inf";
  EXPECT_EQ(settings.loadInstInf(longPath.c_str(), types), 3);
  EXPECT_TRUE(types.types.empty());
  EXPECT_EQ(types.count, 0);
}

TEST(InstSettingsState, ProgressPollCancelAndReset) {
  InstSettings settings;
  EXPECT_EQ(settings.getProgress(), 0.0) << "no total yet";
  settings.totalKB = 400;
  settings.copiedKB = 100;
  EXPECT_DOUBLE_EQ(settings.getProgress(), 0.25);
  settings.copiedKB = 800;
  EXPECT_DOUBLE_EQ(settings.getProgress(), 2.0);

  IoResult result = settings.poll();
  EXPECT_EQ(result.status, COPY_NOT_PREPARED);
  EXPECT_EQ(result.count, 0u);
  EXPECT_FALSE(settings.requestCancel()) << "nothing prepared";

  InstTypeInfo type("T");
  ASSERT_TRUE(settings.copyJob.prepare(type, "C:\\", "C:\\x\\"));
  EXPECT_FALSE(settings.requestCancel()) << "a running job that the settings did not prepare";
  settings.prepared = true;
  EXPECT_TRUE(settings.requestCancel());

  settings.messageRoutine = nullptr;
  settings.reset();
  EXPECT_FALSE(settings.prepared);
  EXPECT_FALSE(settings.copyJob.isRunning());
  EXPECT_NE(settings.messageRoutine, nullptr);
  EXPECT_FALSE(settings.requestCancel());
}

TEST(InstSettingsState, PollOfAnEmptyTypeEndsAtOnce) {
  InstSettings settings;
  settings.totalKB = 0;
  ASSERT_TRUE(settings.copyJob.prepare(InstTypeInfo("Empty"), "C:\\", "C:\\x\\"));
  settings.prepared = true;
  IoResult result = settings.poll();
  EXPECT_EQ(result.status, COPY_ALL_DONE);
  EXPECT_EQ(result.count, 0u);
  EXPECT_FALSE(settings.prepared) << "the poll that sees the end clears the prepared flag";
  EXPECT_EQ(settings.poll().status, COPY_NOT_PREPARED);
}

}  // namespace
