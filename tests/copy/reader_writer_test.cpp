// Reader and Writer on their own, on the dialog's thread: block statuses, and every prompt with its
// exact text, caption and buttons.
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "copy/copy_seams.h"
#include "copy/reader.h"
#include "copy/writer.h"
#include "gtest/gtest.h"
#include "tests/copy/copy_test_util.h"
#include "tests/support/responder.h"

namespace {
const DWORD kBlock = 16384;
const char kOpenCaption[] = "ファイルが開けませんでした";
const char kNotFound[] =
    "コピー元のファイルが見つかりませんでした。キャンセルボタンを押すとインストールを中止します\n\n　ファイル名：";
const char kInUse[] =
    "コピー元のファイルを開けませんでした。ファイルはすでに他のアプリケーションによって開かれています。"
    "キャンセルボタンを押すとインストールを中止します\n\n　ファイル名：";
const char kCannotOpen[] =
    "コピー元のファイルを開けませんでした。キャンセルボタンを押すとインストールを中止します\n\n　ファイル名：";
const char kReadOnly[] =
    "インストール先にはすでに読み取り専用属性のファイルが存在します。このファイルを上書きしてインストールを続行しますか？\n"
    "インストールを中止するには「いいえ」を選んで下さい。\n\n　ファイル名：";
const char kFolder[] =
    "インストール先にはすでに同名のフォルダが存在します。\nインストールを続行できません。インストールを中断します\n\n　ファイル名：";
const char kSystem[] =
    "インストール先にはすでに同名のシステムファイルが存在します。\nインストールを続行できません。インストールを中断します\n\n　ファイル名：";
const char kReadFailed[] =
    "ファイルの読み込みに失敗しました。キャンセルボタンでインストールを中断します\n\n　ファイル名：";

std::string Quoted(const char *text, const std::string &path) { return text + ("\"" + path + "\""); }

void ExpectPrompt(const Prompt &prompt, const std::string &text, const char *caption, UINT flags) {
  EXPECT_EQ(Utf8FromCp932(prompt.text), Utf8FromCp932(text));
  EXPECT_EQ(Utf8FromCp932(prompt.caption), Utf8FromCp932(caption));
  EXPECT_EQ(prompt.flags, flags);
  EXPECT_EQ(prompt.owner, nullptr);
  EXPECT_EQ(prompt.thread, GetCurrentThreadId());
}

struct ReadRow {
  const char *name;
  size_t size;
  std::vector<std::pair<CopyStatus, DWORD>> reads;
};

TEST(ReaderRead, BlockStatusesFollowTheFileLength) {
  const std::vector<ReadRow> rows = {
      {"empty", 0, {{COPY_FILE_DONE, 0}}},
      {"one block", kBlock, {{COPY_OK, kBlock}, {COPY_FILE_DONE, 0}}},
      {"one block and a byte", kBlock + 1, {{COPY_OK, kBlock}, {COPY_FILE_DONE, 1}}},
      {"three blocks and a part", 3 * kBlock + 1500,
       {{COPY_OK, kBlock}, {COPY_OK, kBlock}, {COPY_OK, kBlock}, {COPY_FILE_DONE, 1500}}},
  };
  std::string folder = FreshFolder("reads");
  for (const ReadRow &row : rows) {
    SCOPED_TRACE(row.name);
    std::string source = folder + "src.bin";
    std::string target = folder + "dst.bin";
    WriteBytes(source, Pattern(row.size));
    std::string copied;
    {
      Reader reader(source, kBlock, true);
      Writer writer(target, kBlock);
      ASSERT_NE(reader.getHandle(), nullptr);
      ASSERT_NE(writer.getHandle(), nullptr);
      std::vector<char> buffer(kBlock);
      for (const auto &expected : row.reads) {
        IoResult got = reader.read(buffer.data());
        EXPECT_EQ(got.status, expected.first);
        EXPECT_EQ(got.count, expected.second);
        IoResult put = writer.write(buffer.data(), got.count);
        EXPECT_EQ(put.status, COPY_OK);
        EXPECT_EQ(put.count, 0u);
      }
    }
    EXPECT_TRUE(HasBytes(target, Pattern(row.size)));
  }
}

TEST(ReaderOpen, MissingSourceFailsSilentlyWhenAnotherDiscMayHoldIt) {
  Responder user;
  std::string path = FreshFolder("missing-silent") + "none.dat";
  Reader reader(path, kBlock, false);
  EXPECT_EQ(reader.getHandle(), nullptr);
  EXPECT_STREQ(reader.getPath(), path.c_str());
  EXPECT_TRUE(user.prompts().empty());
}

TEST(ReaderOpen, MissingSourceIsReportedAndRetryOpensItOnceItExists) {
  std::string path = FreshFolder("missing-retry") + "late.dat";
  Responder user;
  user.expect("見つかりませんでした", IDRETRY, [&](const Prompt &) { WriteBytes(path, "late"); });
  Reader reader(path, kBlock, true);
  EXPECT_NE(reader.getHandle(), nullptr);
  auto seen = user.prompts();
  ASSERT_EQ(seen.size(), 1u);
  ExpectPrompt(seen[0], Quoted(kNotFound, path), kOpenCaption, MB_RETRYCANCEL | MB_ICONERROR);
  std::vector<char> buffer(kBlock);
  IoResult got = reader.read(buffer.data());
  EXPECT_EQ(got.status, COPY_FILE_DONE);
  EXPECT_EQ(std::string(buffer.data(), got.count), "late");
}

TEST(ReaderOpen, CancelLeavesTheReaderClosedAfterAnyNumberOfRetries) {
  std::string path = FreshFolder("missing-cancel") + "never.dat";
  Responder user;
  user.expect("見つかりませんでした", IDRETRY, nullptr, 3);
  user.expect("見つかりませんでした", IDCANCEL);
  Reader reader(path, kBlock, true);
  EXPECT_EQ(reader.getHandle(), nullptr);
  EXPECT_EQ(user.prompts().size(), 4u);
  user.verifyAllAnswered();
}

TEST(ReaderOpen, SourceHeldOpenElsewhereAsksAndRetryOpensItAfterItIsClosed) {
  std::string path = FreshFolder("in-use") + "busy.dat";
  WriteBytes(path, Pattern(100));
  HANDLE other = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  Responder user;
  user.expect("他のアプリケーション", IDRETRY, [&](const Prompt &) { CloseHandle(other); });
  Reader reader(path, kBlock, false);
  EXPECT_NE(reader.getHandle(), nullptr);
  auto seen = user.prompts();
  ASSERT_EQ(seen.size(), 1u);
  ExpectPrompt(seen[0], Quoted(kInUse, path), kOpenCaption, MB_RETRYCANCEL | MB_ICONERROR);
}

TEST(ReaderOpen, OtherOpenFailuresGetTheirOwnText) {
  // A folder cannot be opened as a file: it exists, and the error is not a sharing violation.
  std::string path = FreshFolder("cannot-open") + "folder";
  MakeFolders(path);
  Responder user;
  user.expect("", IDCANCEL);
  Reader reader(path, kBlock, false);
  EXPECT_EQ(reader.getHandle(), nullptr);
  auto seen = user.prompts();
  ASSERT_EQ(seen.size(), 1u);
  ExpectPrompt(seen[0], Quoted(kCannotOpen, path), kOpenCaption, MB_RETRYCANCEL | MB_ICONERROR);
}

TEST(ReaderOpen, HoldsTheSourceWithShareModeZero) {
  std::string path = FreshFolder("share") + "held.dat";
  WriteBytes(path, "x");
  Reader reader(path, kBlock, true);
  ASSERT_NE(reader.getHandle(), nullptr);
  HANDLE other = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             0, nullptr);
  EXPECT_EQ(other, INVALID_HANDLE_VALUE);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
}

TEST(FilePaths, LongPathsAreKeptWhole_ButShownCutTo259Characters) {
  std::string path = "C:\\copytest\\" + std::string(300, 'a') + "\\file.dat";
  {
    Responder user;
    Reader silent(path, kBlock, false);
    EXPECT_EQ(silent.getHandle(), nullptr);
    EXPECT_EQ(std::string(silent.getPath()), path.substr(0, 259));
    Writer writer(path, kBlock);
    EXPECT_EQ(writer.getHandle(), nullptr);
    EXPECT_EQ(std::string(writer.getPath()), path.substr(0, 259));
    EXPECT_TRUE(user.prompts().empty());
  }
  Responder user;
  user.expect("見つかりませんでした", IDCANCEL);
  Reader reported(path, kBlock, true);
  auto seen = user.prompts();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, Quoted(kNotFound, path));  // the constructor names the path as given
}

// Fails the second ReadFile once, after it has already moved the file position by half a block.
std::atomic<int> g_readCalls{0};
BOOL WINAPI ReadFailingOnceMidBlock(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD done, LPOVERLAPPED overlapped) {
  if (++g_readCalls == 2) {
    DWORD half = 0;
    ReadFile(file, buffer, toRead / 2, &half, overlapped);
    SetLastError(ERROR_CRC);
    return FALSE;
  }
  return ReadFile(file, buffer, toRead, done, overlapped);
}

class ReadFailure : public testing::Test {
 protected:
  void SetUp() override {
    g_readCalls = 0;
    previous_ = g_readFileRoutine.exchange(&ReadFailingOnceMidBlock);
  }
  void TearDown() override { g_readFileRoutine.store(previous_); }
  ReadFileRoutine previous_ = nullptr;
};

TEST_F(ReadFailure, RetryReadsTheFailedBlockAgainFromItsStart) {
  std::string folder = FreshFolder("read-retry");
  std::string source = folder + "src.bin";
  std::string target = folder + "dst.bin";
  WriteBytes(source, Pattern(3 * kBlock + 7));
  Responder user;
  user.expect("読み込みに失敗", IDRETRY);
  {
    Reader reader(source, kBlock, true);
    Writer writer(target, kBlock);
    std::vector<char> buffer(kBlock);
    IoResult got;
    do {
      got = reader.read(buffer.data());
      writer.write(buffer.data(), got.count);
    } while (got.status == COPY_OK);
    EXPECT_EQ(got.status, COPY_FILE_DONE);
  }
  EXPECT_TRUE(HasBytes(target, Pattern(3 * kBlock + 7)));
  auto seen = user.prompts();
  ASSERT_EQ(seen.size(), 1u);
  ExpectPrompt(seen[0], Quoted(kReadFailed, source), "ファイル読込エラー", MB_RETRYCANCEL | MB_ICONERROR);
}

TEST_F(ReadFailure, CancelGivesReadFailedWithNoBytes) {
  std::string source = FreshFolder("read-cancel") + "src.bin";
  WriteBytes(source, Pattern(3 * kBlock));
  Responder user;
  user.expect("読み込みに失敗", IDCANCEL);
  Reader reader(source, kBlock, true);
  std::vector<char> buffer(kBlock);
  EXPECT_EQ(reader.read(buffer.data()).status, COPY_OK);
  IoResult failed = reader.read(buffer.data());
  EXPECT_EQ(failed.status, COPY_READ_FAILED);
  EXPECT_EQ(failed.count, 0u);
}

// Destinations in the way, as a table: what is there, the user's answer, and what must follow.
struct InTheWayRow {
  const char *name;
  DWORD attributes;     // of an existing file; FILE_ATTRIBUTE_DIRECTORY: a folder
  std::vector<std::pair<std::string, int>> prompts;  // expected texts and the answers given
  bool opens;
  bool oldFileStays;    // the earlier content is still there afterwards
};

TEST(WriterOpen, WhatIsInTheWayDecidesTheQuestionAndTheOutcome) {
  const std::vector<InTheWayRow> rows = {
      {"nothing there", 0, {}, true, false},
      {"normal file, truncated without a question", FILE_ATTRIBUTE_NORMAL, {}, true, false},
      {"read-only, Yes", FILE_ATTRIBUTE_READONLY, {{kReadOnly, IDYES}}, true, false},
      {"read-only, No", FILE_ATTRIBUTE_READONLY, {{kReadOnly, IDNO}}, false, true},
      {"folder", FILE_ATTRIBUTE_DIRECTORY, {{kFolder, IDOK}}, false, true},
      {"system file", FILE_ATTRIBUTE_SYSTEM, {{kSystem, IDOK}}, false, true},
      {"read-only system file, Yes", FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM,
       {{kReadOnly, IDYES}, {kSystem, IDOK}}, false, false},
  };
  std::string folder = FreshFolder("in-the-way");
  int n = 0;
  for (const InTheWayRow &row : rows) {
    SCOPED_TRACE(row.name);
    std::string path = folder + "target" + std::to_string(++n) + ".dat";
    if (row.attributes == FILE_ATTRIBUTE_DIRECTORY) {
      MakeFolders(path);
      WriteBytes(path + "\\inside.txt", "old");
    } else if (row.attributes != 0) {
      WriteBytes(path, "old");
      ASSERT_TRUE(SetFileAttributesA(path.c_str(), row.attributes));
      DWORD kept = row.attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_NORMAL);
      ASSERT_EQ(GetFileAttributesA(path.c_str()) & kept, kept) << "the file system keeps it";
    }
    Responder user;
    for (const auto &prompt : row.prompts) user.expect(prompt.first, prompt.second);
    bool opened;
    {
      Writer writer(path, kBlock);
      opened = writer.getHandle() != nullptr;
      if (opened) writer.write("new", 3);
    }
    EXPECT_EQ(opened, row.opens);
    auto seen = user.prompts();
    ASSERT_EQ(seen.size(), row.prompts.size());
    const char *captions[] = {"読み取り専用ファイルが存在します", "同名のフォルダが存在します",
                              "同名のシステムファイルが存在します"};
    for (size_t i = 0; i < seen.size(); ++i) {
      const std::string &text = row.prompts[i].first;
      bool readOnly = text == kReadOnly;
      const char *caption = readOnly ? captions[0] : text == kFolder ? captions[1] : captions[2];
      ExpectPrompt(seen[i], Quoted(text.c_str(), path), caption,
                   readOnly ? MB_YESNO | MB_ICONWARNING : MB_OK | MB_ICONERROR);
    }
    if (row.attributes == FILE_ATTRIBUTE_DIRECTORY) {
      EXPECT_EQ(ReadBytes(path + "\\inside.txt"), "old");
    } else if (row.oldFileStays) {
      EXPECT_EQ(ReadBytes(path), "old");
      EXPECT_EQ(GetFileAttributesA(path.c_str()) & row.attributes, row.attributes) << "left untouched";
    } else if (row.opens) {
      EXPECT_EQ(ReadBytes(path), "new");
      EXPECT_EQ(GetFileAttributesA(path.c_str()) & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_SYSTEM), 0u);
    } else {
      EXPECT_FALSE(Exists(path)) << "deleted after Yes, then refused as a system file";
    }
  }
}

TEST(WriterOpen, AFailedCreateShowsNothing) {
  Responder user;
  Writer writer(FreshFolder("no-folder") + "absent\\file.dat", kBlock);
  EXPECT_EQ(writer.getHandle(), nullptr);
  EXPECT_TRUE(user.prompts().empty());
}

TEST(WriterOpen, HoldsTheDestinationWithShareModeZero) {
  std::string path = FreshFolder("writer-share") + "out.dat";
  Writer writer(path, kBlock);
  ASSERT_NE(writer.getHandle(), nullptr);
  HANDLE other = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                             0, nullptr);
  EXPECT_EQ(other, INVALID_HANDLE_VALUE);
  if (other != INVALID_HANDLE_VALUE) CloseHandle(other);
}
}  // namespace
