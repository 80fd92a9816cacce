// Disc swaps on the CD-ROM drive D:. The two discs are folders beside the drive's own folder in
// the Wine prefix; inserting a disc renames them through Z:, and Wine sees the new content on the
// next open.
#include <windows.h>

#include <string>
#include <vector>

#include "copy/copy_job.h"
#include "gtest/gtest.h"
#include "tests/copy/copy_test_util.h"
#include "tests/support/responder.h"

namespace {
const char kCaption[] = "ディスク入れ替え";
const char kAskData[] = "ＣＤ－ＲＯＭドライブにデータディスクを挿入してください";
const char kAskGame[] = "ＣＤ－ＲＯＭドライブにゲームディスクを挿入してください";
const char kNotFound[] = "コピー元のファイルが見つかりませんでした";

class DiscSwap : public testing::Test {
 protected:
  void SetUp() override {
    drives_ = PrefixDosPath() + "\\drives\\";
    RemoveTree(drives_ + "disc1");
    RemoveTree(drives_ + "disc2");
    RemoveTree(drives_ + "d");
    MakeFolders(drives_ + "d");
    MakeFolders(drives_ + "disc2");
    inserted_ = 1;
    dest_ = FreshFolder(std::string("disc-") + testing::UnitTest::GetInstance()->current_test_info()->name());
  }
  void TearDown() override {
    RemoveTree(drives_ + "disc1");
    RemoveTree(drives_ + "disc2");
    RemoveTree(drives_ + "d");
    MakeFolders(drives_ + "d");
  }
  // The folder that holds disc n now: the drive's own while it is inserted.
  std::string DiscFolder(int disc) const {
    return drives_ + (disc == inserted_ ? std::string("d") : "disc" + std::to_string(disc)) + "\\";
  }
  void Put(int disc, const std::string &name, const std::string &bytes) { WriteBytes(DiscFolder(disc) + name, bytes); }
  // Takes the inserted disc out of the drive and puts the other one in.
  void Swap() {
    int other = 3 - inserted_;
    ASSERT_TRUE(MoveFileA((drives_ + "d").c_str(), (drives_ + "disc" + std::to_string(inserted_)).c_str()))
        << GetLastError();
    ASSERT_TRUE(MoveFileA((drives_ + "disc" + std::to_string(other)).c_str(), (drives_ + "d").c_str()))
        << GetLastError();
    inserted_ = other;
  }
  // Every file of the inserted disc can be opened exclusively: the installer holds none of them.
  void ExpectNothingHeldOnTheDisc() {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA("D:\\*", &found);
    ASSERT_NE(search, INVALID_HANDLE_VALUE);
    int files = 0;
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
      std::string path = std::string("D:\\") + found.cFileName;
      HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
      EXPECT_NE(file, INVALID_HANDLE_VALUE) << path << " is held open";
      if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
      ++files;
    } while (FindNextFileA(search, &found));
    FindClose(search);
    EXPECT_GE(files, 2);
  }
  void ExpectDiscRequest(const Prompt &prompt, const char *text, UINT buttons) {
    EXPECT_EQ(Utf8FromCp932(prompt.text), Utf8FromCp932(text));
    EXPECT_EQ(prompt.caption, kCaption);
    EXPECT_EQ(prompt.flags, buttons | MB_ICONINFORMATION);
    EXPECT_EQ(prompt.owner, nullptr);
    EXPECT_EQ(prompt.thread, GetCurrentThreadId());
  }

  std::string drives_;
  std::string dest_;
  int inserted_ = 1;
};

TEST_F(DiscSwap, BothIDs_AMissingFileAsksForTheOtherDiscAtOnce) {
  Put(1, "disc.id", "GAME1");
  Put(1, "a.dat", Pattern(20000, 1));
  Put(1, "c.dat", Pattern(300, 3));
  Put(2, "disc.id", "DATA1");
  Put(2, "b.dat", Pattern(40000, 2));
  Responder user;
  user.expect(kAskData, IDOK, [&](const Prompt &) {
    ExpectNothingHeldOnTheDisc();
    Swap();
  });
  user.expect(kAskGame, IDOK, [&](const Prompt &) {
    ExpectNothingHeldOnTheDisc();
    Swap();
  });
  CopyJob job;
  job.setDiscIDs("GAME1", "DATA1");
  ASSERT_TRUE(job.prepare(TypeOf({"a.dat", "b.dat", "c.dat"}), "D:\\", dest_.c_str()));
  EXPECT_EQ(job.currentDisc(), 1);
  std::vector<int> discAfterFile;
  IoResult result;
  do {
    result = job.step();
    if (result.status == COPY_FILE_DONE) discAfterFile.push_back(job.currentDisc());
  } while (result.status == COPY_WAITING || result.status == COPY_OK || result.status == COPY_FILE_DONE);
  EXPECT_EQ(result.status, COPY_ALL_DONE);
  EXPECT_EQ(discAfterFile, (std::vector<int>{1, 0, 1}));
  EXPECT_TRUE(HasBytes(dest_ + "a.dat", Pattern(20000, 1)));
  EXPECT_TRUE(HasBytes(dest_ + "b.dat", Pattern(40000, 2)));
  EXPECT_TRUE(HasBytes(dest_ + "c.dat", Pattern(300, 3)));
  auto seen = user.prompts();
  ASSERT_EQ(seen.size(), 2u) << "no Reader prompt, one request per swap";
  ExpectDiscRequest(seen[0], kAskData, MB_OK);
  ExpectDiscRequest(seen[1], kAskGame, MB_OK);
}

TEST_F(DiscSwap, BothIDs_AFileMissingFromBothDiscsCancels) {
  Put(1, "disc.id", "GAME1");
  Put(2, "disc.id", "DATA1");
  Responder user;
  user.expect(kAskData, IDOK, [&](const Prompt &) { Swap(); });
  CopyJob job;
  job.setDiscIDs("GAME1", "DATA1");
  ASSERT_TRUE(job.prepare(TypeOf({"nowhere.dat"}), "D:\\", dest_.c_str()));
  IoResult result = job.step();
  EXPECT_EQ(result.status, COPY_CANCELED);
  EXPECT_EQ(result.count, 0u);
  EXPECT_EQ(user.prompts().size(), 1u) << "one request per entry, no Reader prompt";
  EXPECT_EQ(job.currentDisc(), 0) << "the data disc was recognised";
  EXPECT_FALSE(Exists(dest_ + "nowhere.dat"));
}

TEST_F(DiscSwap, OnlyTheGameID_TheReaderAsksAndNoDiscIsRequested) {
  Put(1, "disc.id", "GAME1");
  Put(2, "disc.id", "DATA1");
  Put(2, "b.dat", "b");
  Responder user;
  user.expect(kNotFound, IDCANCEL);
  CopyJob job;
  job.setDiscIDs("GAME1", "");
  ASSERT_TRUE(job.prepare(TypeOf({"b.dat"}), "D:\\", dest_.c_str()));
  EXPECT_EQ(job.step().status, COPY_CANCELED);
  auto seen = user.prompts();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].caption, "ファイルが開けませんでした");
  EXPECT_NE(seen[0].text.find("\"D:\\b.dat\""), std::string::npos);
  EXPECT_EQ(job.currentDisc(), 1);
}

TEST_F(DiscSwap, OnlyTheDataID_TheReaderAsksThenTheDataDiscIsRequested_TheGameDiscNeverMatches) {
  Put(1, "disc.id", "GAME1");
  Put(1, "c.dat", "c");
  Put(2, "disc.id", "DATA1");
  Put(2, "b.dat", Pattern(5000));
  Responder user;
  user.expect(kNotFound, IDCANCEL);
  user.expect(kAskData, IDOK, [&](const Prompt &) { Swap(); });
  user.expect(kNotFound, IDCANCEL);
  user.expect(kAskGame, IDOK, [&](const Prompt &) { Swap(); });
  user.expect(kAskGame, IDOK, nullptr, 2);  // the empty game disc ID matches no disc
  user.expect(kAskGame, IDCANCEL);
  CopyJob job;
  job.setDiscIDs("", "DATA1");
  ASSERT_TRUE(job.prepare(TypeOf({"b.dat", "c.dat"}), "D:\\", dest_.c_str()));
  std::vector<IoResult> results = RunSteps(job);
  EXPECT_EQ(results.back().status, COPY_CANCELED);
  EXPECT_TRUE(HasBytes(dest_ + "b.dat", Pattern(5000)));
  EXPECT_FALSE(Exists(dest_ + "c.dat"));
  EXPECT_EQ(job.currentDisc(), 0);
  auto seen = user.prompts();
  ASSERT_EQ(seen.size(), 7u);
  ExpectDiscRequest(seen[1], kAskData, MB_OK);
  ExpectDiscRequest(seen[3], kAskGame, MB_OK);
  ExpectDiscRequest(seen[4], kAskGame, MB_OKCANCEL);
  user.verifyAllAnswered();
}

TEST_F(DiscSwap, TheIDFileMustHoldTheBareIDOnTheSourceDrive) {
  const struct {
    const char *name;
    const char *content;  // nullptr: no disc.id at all
    char drive;
    bool accepted;
  } rows[] = {
      {"bare ID", "DATA1", 'D', true},
      {"ID and LF", "DATA1\n", 'D', false},
      {"ID and CR LF", "DATA1\r\n", 'D', false},
      {"ID and a blank", "DATA1 ", 'D', false},
      {"shorter", "DATA", 'D', false},
      {"longer", "DATA12", 'D', false},
      {"empty file", "", 'D', false},
      {"no file", nullptr, 'D', false},
      {"right ID on another drive", "DATA1", 'E', false},
      {"drive without a medium", "DATA1", 'F', false},
  };
  for (const auto &row : rows) {
    SCOPED_TRACE(row.name);
    DeleteFileA("D:\\disc.id");
    if (row.content != nullptr) Put(1, "disc.id", row.content);
    Responder user;
    user.expect(kAskData, IDOK);
    user.expect(kAskData, IDOK);  // asked again once
    user.expect(kAskData, IDCANCEL);
    CopyJob job;
    job.setDiscIDs("GAME1", "DATA1");
    EXPECT_EQ(job.requestDisc(row.drive, 0), row.accepted);
    auto seen = user.prompts();
    ASSERT_EQ(seen.size(), row.accepted ? 1u : 3u);
    ExpectDiscRequest(seen[0], kAskData, MB_OK);
    for (size_t i = 1; i < seen.size(); ++i) ExpectDiscRequest(seen[i], kAskData, MB_OKCANCEL);
    EXPECT_EQ(job.currentDisc(), row.accepted ? 0 : 1);
  }
}

TEST_F(DiscSwap, AFixedIDFileAfterTheRepeatedRequestIsAccepted) {
  Put(1, "disc.id", "GAME1");
  Put(1, "a.dat", "a");
  Put(2, "disc.id", "DATA1\r\n");
  Put(2, "b.dat", "b");
  Responder user;
  user.expect(kAskData, IDOK, [&](const Prompt &) { Swap(); });
  user.expect(kAskData, IDOK, [&](const Prompt &) { Put(2, "disc.id", "DATA1"); });
  CopyJob job;
  job.setDiscIDs("GAME1", "DATA1");
  ASSERT_TRUE(job.prepare(TypeOf({"a.dat", "b.dat"}), "D:\\", dest_.c_str()));
  EXPECT_EQ(RunSteps(job).back().status, COPY_ALL_DONE);
  EXPECT_EQ(ReadBytes(dest_ + "b.dat"), "b");
  auto seen = user.prompts();
  ASSERT_EQ(seen.size(), 2u);
  ExpectDiscRequest(seen[0], kAskData, MB_OK);
  ExpectDiscRequest(seen[1], kAskData, MB_OKCANCEL);
}

TEST_F(DiscSwap, ASourceDriveWithoutAMediumIsProbedQuietly) {
  Responder user;
  user.expect(kAskData, IDOK);
  user.expect(kAskData, IDCANCEL);
  CopyJob job;
  job.setDiscIDs("GAME1", "DATA1");
  ASSERT_TRUE(job.prepare(TypeOf({"a.dat"}), "F:\\", dest_.c_str()));
  EXPECT_EQ(job.step().status, COPY_CANCELED);
  EXPECT_EQ(user.prompts().size(), 2u) << "only the request and its repetition";
  user.verifyAllAnswered();
}

TEST_F(DiscSwap, NoDataIDNoRequest) {
  Responder user;
  CopyJob job;
  job.setDiscIDs("GAME1", "");
  EXPECT_FALSE(job.requestDisc('D', 2));
  EXPECT_FALSE(job.requestDisc('D', 1));
  EXPECT_TRUE(user.prompts().empty());
}
}  // namespace
