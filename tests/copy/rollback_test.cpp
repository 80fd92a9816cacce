// Rollback after a cancelled or failed copy: what this run wrote goes, with the folders it leaves
// empty; whatever was there before, or belongs to entries never reached, stays.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "copy/copy_job.h"
#include "gtest/gtest.h"
#include "tests/copy/copy_test_util.h"
#include "tests/support/responder.h"

namespace {
const DWORD kBlock = CopyJob::kBlockSize;

// Names in the folder, sub-folders with a trailing backslash and their contents, sorted.
std::vector<std::string> Listing(const std::string &folder, const std::string &prefix = "") {
  std::vector<std::string> names;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      names.push_back(prefix + name + "\\");
      for (const std::string &inner : Listing(folder + name + "\\", prefix + name + "\\")) names.push_back(inner);
    } else {
      names.push_back(prefix + name);
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);
  std::sort(names.begin(), names.end());
  return names;
}

// Steps until `files` files are complete.
void CopyFiles(CopyJob &job, int files) {
  int done = 0;
  while (done < files) {
    IoResult result = job.step();
    ASSERT_TRUE(result.status == COPY_WAITING || result.status == COPY_OK || result.status == COPY_FILE_DONE)
        << "status " << result.status;
    if (result.status == COPY_FILE_DONE) ++done;
  }
}

void CancelNow(CopyJob &job) {
  ASSERT_TRUE(job.requestCancel());
  ASSERT_EQ(RunSteps(job).back().status, COPY_CANCELED);
}

class Rollback : public testing::Test {
 protected:
  void SetUp() override {
    std::string name = testing::UnitTest::GetInstance()->current_test_info()->name();
    source = FreshFolder("rb-src-" + name);
    dest = FreshFolder("rb-dst-" + name);
  }
  void Source(const std::string &entry, const std::string &bytes) {
    size_t slash = entry.rfind('\\');
    if (slash != std::string::npos) MakeFolders(source + entry.substr(0, slash));
    WriteBytes(source + entry, bytes);
  }
  void Existing(const std::string &entry, const std::string &bytes) {
    size_t slash = entry.rfind('\\');
    if (slash != std::string::npos) MakeFolders(dest + entry.substr(0, slash));
    WriteBytes(dest + entry, bytes);
  }
  std::string source, dest;
};

TEST_F(Rollback, AFullCancelOfAFreshInstallLeavesOnlyTheEmptyDestinationFolder) {
  std::vector<std::string> entries = {"Data\\Sound\\a.dat", "Data\\b.dat", "c.dat", "Data\\Sound\\d.dat"};
  for (const std::string &entry : entries) Source(entry, Pattern(kBlock + 3));
  InstTypeInfo type = TypeOf(entries);
  CopyJob job;
  ASSERT_TRUE(job.prepare(type, source.c_str(), dest.c_str()));
  CopyFiles(job, 3);
  CancelNow(job);  // the last file was created empty
  ASSERT_EQ(Listing(dest), (std::vector<std::string>{"Data\\", "Data\\Sound\\", "Data\\Sound\\a.dat",
                                                     "Data\\Sound\\d.dat", "Data\\b.dat", "c.dat"}));
  EXPECT_TRUE(job.rollback(type));
  EXPECT_TRUE(Listing(dest).empty()) << "no copied file and no folder of the copy is left";
  EXPECT_TRUE(IsFolder(dest)) << "the destination folder itself stays";
}

TEST_F(Rollback, AFolderHoldingAUsersFileStays) {
  std::vector<std::string> entries = {"Data\\Sound\\a.dat", "Data\\b.dat"};
  for (const std::string &entry : entries) Source(entry, "x");
  Existing("Data\\user.txt", "mine");
  InstTypeInfo type = TypeOf(entries);
  CopyJob job;
  ASSERT_TRUE(job.prepare(type, source.c_str(), dest.c_str()));
  ASSERT_EQ(RunSteps(job).back().status, COPY_ALL_DONE);
  EXPECT_TRUE(job.rollback(type));
  EXPECT_EQ(Listing(dest), (std::vector<std::string>{"Data\\", "Data\\user.txt"}));
  EXPECT_EQ(ReadBytes(dest + "Data\\user.txt"), "mine");
}

TEST_F(Rollback, ACancelInTheMiddleOfAFileKeepsTheFilesOfLaterEntries) {
  std::vector<std::string> entries = {"a.dat", "Data\\b.dat", "c.dat", "Data\\Sound\\d.dat"};
  Source("a.dat", Pattern(100, 1));
  Source("Data\\b.dat", Pattern(3 * kBlock + 5, 2));
  Source("c.dat", Pattern(50, 3));
  Source("Data\\Sound\\d.dat", Pattern(60, 4));
  // A destination that already holds the files of the later entries, from somewhere else.
  const std::string oldC = Pattern(5000, 33), oldD = Pattern(7000, 44);
  Existing("c.dat", oldC);
  Existing("Data\\Sound\\d.dat", oldD);
  InstTypeInfo type = TypeOf(entries);
  CopyJob job;
  ASSERT_TRUE(job.prepare(type, source.c_str(), dest.c_str()));
  {
    // a.dat takes one read; the second block of b.dat is the third.
    ReadSeam seam(3, ReadSeam::HOLD);
    IoResult result;
    do {
      result = job.step();
      ASSERT_NE(result.status, COPY_CANCELED);
    } while (!seam.waitReached(0));
    ASSERT_TRUE(job.requestCancel());
    job.step();
    seam.release();
    ASSERT_EQ(RunSteps(job).back().status, COPY_CANCELED);
  }
  EXPECT_EQ(ReadBytes(dest + "Data\\b.dat").size(), 2 * kBlock) << "cancelled after the block in hand";
  EXPECT_TRUE(job.rollback(type));
  EXPECT_EQ(Listing(dest), (std::vector<std::string>{"Data\\", "Data\\Sound\\", "Data\\Sound\\d.dat", "c.dat"}));
  EXPECT_TRUE(HasBytes(dest + "c.dat", oldC));
  EXPECT_TRUE(HasBytes(dest + "Data\\Sound\\d.dat", oldD));
}

TEST_F(Rollback, AnAdditionalInstallationKeepsTheExistingInstallation) {
  // The installation there before: files outside the new list, and one the new list names later.
  Existing("game.exe", "game");
  Existing("Data\\old.dat", "old");
  Existing("save\\slot1", "progress");
  Existing("readme.txt", "old readme");
  std::vector<std::string> entries = {"Data\\extra.dat", "Data\\Voice\\v.dat", "readme.txt"};
  for (const std::string &entry : entries) Source(entry, Pattern(kBlock));
  InstTypeInfo type = TypeOf(entries);
  CopyJob job;
  ASSERT_TRUE(job.prepare(type, source.c_str(), dest.c_str()));
  CopyFiles(job, 1);
  CancelNow(job);
  EXPECT_TRUE(job.rollback(type));
  EXPECT_EQ(Listing(dest), (std::vector<std::string>{"Data\\", "Data\\old.dat", "game.exe", "readme.txt", "save\\",
                                                     "save\\slot1"}));
  EXPECT_EQ(ReadBytes(dest + "readme.txt"), "old readme");
  EXPECT_EQ(ReadBytes(dest + "game.exe"), "game");
}

TEST_F(Rollback, AnEntryWhoseSourceFailedToOpenIsNotTouched) {
  Source("a.dat", "a");
  Existing("b.dat", "was here");
  InstTypeInfo type = TypeOf({"a.dat", "b.dat"});
  Responder user;
  user.expect("見つかりませんでした", IDCANCEL);
  CopyJob job;
  ASSERT_TRUE(job.prepare(type, source.c_str(), dest.c_str()));
  EXPECT_EQ(RunSteps(job).back().status, COPY_CANCELED);
  EXPECT_TRUE(job.rollback(type));
  EXPECT_EQ(Listing(dest), (std::vector<std::string>{"b.dat"}));
  EXPECT_EQ(ReadBytes(dest + "b.dat"), "was here");
}

TEST_F(Rollback, AReadOnlyFileTheUserRefusedToReplaceStays) {
  Source("a.dat", "a");
  Source("Sub\\b.dat", "b");
  Existing("Sub\\b.dat", "kept");
  ASSERT_TRUE(SetFileAttributesA((dest + "Sub\\b.dat").c_str(), FILE_ATTRIBUTE_READONLY));
  InstTypeInfo type = TypeOf({"a.dat", "Sub\\b.dat"});
  Responder user;
  user.expect("読み取り専用", IDNO);
  CopyJob job;
  ASSERT_TRUE(job.prepare(type, source.c_str(), dest.c_str()));
  EXPECT_EQ(RunSteps(job).back().status, COPY_CANCELED);
  EXPECT_TRUE(job.rollback(type));
  EXPECT_EQ(Listing(dest), (std::vector<std::string>{"Sub\\", "Sub\\b.dat"}));
  EXPECT_EQ(ReadBytes(dest + "Sub\\b.dat"), "kept");
}

TEST_F(Rollback, AFailedFileIsRemovedAndTheEntriesAfterItAreNot) {
  Source("a.dat", Pattern(3 * kBlock));
  Source("b.dat", "b");
  Existing("b.dat", "was here");
  InstTypeInfo type = TypeOf({"a.dat", "b.dat"});
  Responder user;
  user.expect("読み込みに失敗", IDCANCEL);
  ReadSeam seam(2, ReadSeam::FAIL_ONCE);
  CopyJob job;
  ASSERT_TRUE(job.prepare(type, source.c_str(), dest.c_str()));
  EXPECT_EQ(RunSteps(job).back().status, COPY_READ_FAILED);
  EXPECT_TRUE(job.rollback(type));
  EXPECT_EQ(Listing(dest), (std::vector<std::string>{"b.dat"}));
  EXPECT_EQ(ReadBytes(dest + "b.dat"), "was here");
}

TEST_F(Rollback, AFileThatCannotBeDeletedMakesTheResultFalse) {
  Source("a.dat", "a");
  Source("b.dat", "b");
  InstTypeInfo type = TypeOf({"a.dat", "b.dat"});
  CopyJob job;
  ASSERT_TRUE(job.prepare(type, source.c_str(), dest.c_str()));
  ASSERT_EQ(RunSteps(job).back().status, COPY_ALL_DONE);
  HANDLE held = CreateFileA((dest + "a.dat").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(job.rollback(type));
  CloseHandle(held);
  EXPECT_EQ(Listing(dest), (std::vector<std::string>{"a.dat"})) << "the others are deleted all the same";
}

TEST_F(Rollback, LeadingBackslashesAndUnstartedJobsLeaveTheDestinationFolder) {
  Source("lead.dat", "x");
  Existing("other.dat", "o");
  InstTypeInfo type = TypeOf({"\\lead.dat"});
  CopyJob job;
  ASSERT_TRUE(job.prepare(type, source.c_str(), dest.c_str()));
  EXPECT_TRUE(job.rollback(type)) << "nothing reached yet, nothing to delete";
  EXPECT_EQ(Listing(dest), (std::vector<std::string>{"other.dat"}));
  ASSERT_EQ(RunSteps(job).back().status, COPY_ALL_DONE);
  ASSERT_TRUE(DeleteFileA((dest + "other.dat").c_str()));
  EXPECT_TRUE(job.rollback(type));
  EXPECT_TRUE(Listing(dest).empty());
  EXPECT_TRUE(IsFolder(dest));
}
}  // namespace
