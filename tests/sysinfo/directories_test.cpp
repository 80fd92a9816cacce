// Folder creation and removal on the drives of the test prefix (H: hd, F: floppy without medium).
#include <windows.h>
#include <shlwapi.h>

#include <cstring>
#include <string>

#include "copy/directories.h"
#include "gtest/gtest.h"
#include "tests/support/responder.h"

namespace {

const char CAPTION[] = "フォルダが作成できませんでした";

bool isFolder(const std::string &path) {
  DWORD attributes = GetFileAttributesA(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string failureText(const std::string &folder, const std::string &deepest) {
  return "フォルダ\"" + folder + "\"の作成に失敗しました。\nフォルダ\"" + deepest + "\"への書き込みが出来ません。";
}

// A folder of its own below H:\ for each test.
class Directories : public ::testing::Test {
 protected:
  void SetUp() override {
    top_ = std::string("H:\\") + ::testing::UnitTest::GetInstance()->current_test_info()->name();
    ASSERT_TRUE(CreateDirectoryA(top_.c_str(), nullptr));
  }
  std::string top_;
  Responder user_;
};

TEST_F(Directories, CreatesEveryMissingLevelAndReportsTheTop) {
  const std::string leaf = top_ + "\\Mid\\Leaf";
  char deepest[MAX_PATH + 4];
  std::memset(deepest, '#', sizeof deepest);
  EXPECT_TRUE(makeDirectory(leaf.c_str(), deepest));
  EXPECT_STREQ(deepest, top_.c_str());
  EXPECT_TRUE(isFolder(top_ + "\\Mid"));
  EXPECT_TRUE(isFolder(leaf));
  EXPECT_TRUE(user_.prompts().empty());
}

TEST_F(Directories, TrailingBackslashAndNoOutBuffer) {
  EXPECT_TRUE(makeDirectory((top_ + "\\A\\B\\C\\").c_str(), nullptr));
  EXPECT_TRUE(isFolder(top_ + "\\A\\B\\C"));
  char deepest[MAX_PATH + 4] = "";
  EXPECT_TRUE(makeDirectory((top_ + "\\A\\B\\D\\").c_str(), deepest));
  EXPECT_STREQ(deepest, (top_ + "\\A\\B").c_str());
  EXPECT_TRUE(isFolder(top_ + "\\A\\B\\D"));
  EXPECT_TRUE(user_.prompts().empty());
}

TEST_F(Directories, ExistingFolderIsItsOwnDeepest) {
  char deepest[MAX_PATH + 4] = "";
  EXPECT_TRUE(makeDirectory(top_.c_str(), deepest));
  EXPECT_STREQ(deepest, top_.c_str());
  const std::string withBackslash = top_ + "\\";
  EXPECT_TRUE(makeDirectory(withBackslash.c_str(), deepest));
  EXPECT_STREQ(deepest, withBackslash.c_str());
  EXPECT_TRUE(makeDirectory("H:\\", deepest));
  EXPECT_STREQ(deepest, "H:\\");
  EXPECT_TRUE(user_.prompts().empty());
}

TEST_F(Directories, DriveWithoutMediumFailsAtTheRoot) {
  const char folder[] = "F:\\Games\\Title";
  user_.expect("", IDOK);
  char deepest[MAX_PATH + 4] = "";
  EXPECT_FALSE(makeDirectory(folder, deepest));
  EXPECT_STREQ(deepest, "F:\\");
  ASSERT_EQ(user_.prompts().size(), 1u);
  const Prompt prompt = user_.prompts()[0];
  EXPECT_EQ(prompt.text, failureText(folder, "F:\\")) << Utf8FromCp932(prompt.text);
  EXPECT_EQ(prompt.caption, CAPTION);
  EXPECT_EQ(prompt.flags, static_cast<UINT>(MB_OK | MB_ICONERROR));
  EXPECT_EQ(prompt.owner, nullptr);
  EXPECT_EQ(prompt.thread, GetCurrentThreadId());
}

TEST_F(Directories, FileInTheWayFailsBelowTheDeepestFolder) {
  const std::string file = top_ + "\\data.bin";
  HANDLE handle = CreateFileA(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr);
  ASSERT_NE(handle, INVALID_HANDLE_VALUE);
  CloseHandle(handle);
  const std::string folder = file + "\\Sub";
  user_.expect("", IDOK);
  EXPECT_FALSE(makeDirectory(folder.c_str(), nullptr));
  ASSERT_EQ(user_.prompts().size(), 1u);
  EXPECT_EQ(user_.prompts()[0].text, failureText(folder, top_)) << Utf8FromCp932(user_.prompts()[0].text);
}

TEST_F(Directories, FailureKeepsTheLevelsAlreadyMade) {
  // A name Windows refuses stops the creation one level below what could be made.
  const std::string made = top_ + "\\Made";
  const std::string folder = made + "\\bad?name\\Leaf";
  user_.expect("", IDOK);
  char deepest[MAX_PATH + 4] = "";
  EXPECT_FALSE(makeDirectory(folder.c_str(), deepest));
  EXPECT_STREQ(deepest, top_.c_str());  // what existed before the call
  EXPECT_TRUE(isFolder(made));
  ASSERT_EQ(user_.prompts().size(), 1u);
  EXPECT_EQ(user_.prompts()[0].text, failureText(folder, made));  // the last walk ended at Made
}

TEST_F(Directories, FolderLongerThanMaxPathStopsWhereTheSystemDoes) {
  std::string folder = top_;
  while (folder.size() < 2 * MAX_PATH) folder += "\\abcdefghij";
  user_.expect("", IDOK);
  std::string deepest(folder.size() + 1, '#');
  EXPECT_FALSE(makeDirectory(folder.c_str(), &deepest[0]));
  EXPECT_STREQ(deepest.c_str(), top_.c_str());
  ASSERT_EQ(user_.prompts().size(), 1u);
  const std::string text = user_.prompts()[0].text;
  const std::string head = "フォルダ\"" + folder + "\"の作成に失敗しました。\nフォルダ\"";
  ASSERT_EQ(text.compare(0, head.size(), head), 0) << Utf8FromCp932(text);
  // The folder named last is the deepest one the system could still make.
  const std::string made = text.substr(head.size(), text.find('"', head.size()) - head.size());
  EXPECT_TRUE(isFolder(made)) << made;
  EXPECT_EQ(folder.compare(0, made.size(), made), 0) << made;
  EXPECT_LT(made.size(), static_cast<size_t>(MAX_PATH));
}

TEST_F(Directories, JapaneseNames) {
  const std::string leaf = top_ + "\\表示\\ポケット";
  char deepest[MAX_PATH + 4] = "";
  EXPECT_TRUE(makeDirectory(leaf.c_str(), deepest));
  EXPECT_STREQ(deepest, top_.c_str());
  EXPECT_TRUE(isFolder(leaf));
}

TEST_F(Directories, RemoveOnlyEmptyFolders) {
  const std::string empty = top_ + "\\Empty";
  const std::string full = top_ + "\\Full";
  ASSERT_TRUE(CreateDirectoryA(empty.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA(full.c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((full + "\\Inner").c_str(), nullptr));

  EXPECT_TRUE(removeDirectory(empty.c_str()));
  EXPECT_FALSE(PathFileExistsA(empty.c_str()));
  EXPECT_TRUE(removeDirectory(full.c_str()));
  EXPECT_TRUE(isFolder(full + "\\Inner"));
  EXPECT_TRUE(removeDirectory((top_ + "\\Never").c_str()));
  EXPECT_TRUE(user_.prompts().empty());
}

}  // namespace
