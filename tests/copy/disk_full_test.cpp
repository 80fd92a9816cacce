// Write failures for real: drive T: is a small tmpfs that a filler file fills up, so that WriteFile
// runs out of space (whole blocks refused with ERROR_DISK_FULL, or a block cut short).
#include <windows.h>

#include <string>
#include <vector>

#include "copy/copy_job.h"
#include "gtest/gtest.h"
#include "tests/copy/copy_test_util.h"
#include "tests/support/responder.h"

namespace {
const DWORD kBlock = CopyJob::kBlockSize;
const char kFiller[] = "T:\\filler";
const char kWriteFailed[] =
    "ファイルの書き込みに失敗しました。キャンセルボタンでインストールを中断します\n\n　ファイル名：";

ULONGLONG FreeBytesOnT() {
  ULARGE_INTEGER freeBytes;
  if (!GetDiskFreeSpaceExA("T:\\", nullptr, nullptr, &freeBytes)) return ~0ull;
  return freeBytes.QuadPart;
}

// Fills T: up, then gives back exactly `leaveFree` bytes (a multiple of the page size).
void FillLeaving(ULONGLONG leaveFree) {
  HANDLE filler = CreateFileA(kFiller, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(filler, INVALID_HANDLE_VALUE);
  std::vector<char> chunk(65536, 'f');
  for (DWORD size : {65536u, 4096u}) {
    DWORD written = 0;
    while (WriteFile(filler, chunk.data(), size, &written, nullptr) && written == size) {
    }
  }
  LARGE_INTEGER end;
  ASSERT_TRUE(GetFileSizeEx(filler, &end));
  ASSERT_EQ(FreeBytesOnT(), 0u) << "T: is full";
  ASSERT_EQ(end.QuadPart % 4096, 0);
  if (leaveFree > 0) {
    end.QuadPart -= static_cast<LONGLONG>(leaveFree);
    ASSERT_TRUE(SetFilePointerEx(filler, end, nullptr, FILE_BEGIN));
    ASSERT_TRUE(SetEndOfFile(filler));
  }
  CloseHandle(filler);
  ASSERT_EQ(FreeBytesOnT(), leaveFree);
}

struct DiskFullRow {
  const char *name;
  size_t sourceSize;
  ULONGLONG leaveFree;
  int retriesWhileFull;  // Retry answers before any space is given back
  int lastAnswer;        // the answer once space was freed (Retry), or the giving-up Cancel
  CopyStatus final;
  DWORD finalKB;
};

TEST(DiskFull, TheWritePromptOnTheCopyThreadDecidesHowTheFileEnds) {
  const DiskFullRow rows[] = {
      {"whole block refused, Retry after freeing space", 4 * kBlock, 2 * kBlock, 0, IDRETRY, COPY_FILE_DONE, 64},
      {"block cut short, Retry after freeing space", 4 * kBlock + 777, 2 * kBlock + 4096, 0, IDRETRY,
       COPY_FILE_DONE, 64},
      {"Retry while still full, then again after freeing", 3 * kBlock, kBlock, 2, IDRETRY, COPY_FILE_DONE, 48},
      {"Cancel", 4 * kBlock, 2 * kBlock, 0, IDCANCEL, COPY_WRITE_FAILED, 48},
      {"last short block refused, Cancel", kBlock + 100, kBlock, 0, IDCANCEL, COPY_WRITE_FAILED, 16},
  };
  std::string source = FreshFolder("full-src");
  int n = 0;
  for (const DiskFullRow &row : rows) {
    SCOPED_TRACE(row.name);
    ++n;
    WriteBytes(source + "big.bin", Pattern(row.sourceSize, n));
    RemoveTree("T:\\inst");
    DeleteFileA(kFiller);
    FillLeaving(row.leaveFree);
    const std::string target = "T:\\inst\\big.bin";

    Responder user;
    std::vector<DWORD> promptThreads;
    auto record = [&](const Prompt &prompt) { promptThreads.push_back(prompt.thread); };
    if (row.retriesWhileFull > 0) user.expect("書き込みに失敗", IDRETRY, record, row.retriesWhileFull);
    user.expect("書き込みに失敗", row.lastAnswer, [&](const Prompt &prompt) {
      record(prompt);
      if (row.lastAnswer == IDRETRY) DeleteFileA(kFiller);
    });
    CopyJob job;
    ASSERT_TRUE(job.prepare(TypeOf({"big.bin"}), source.c_str(), "T:\\inst\\"));
    IoResult result;
    do {
      result = job.step();
    } while (result.status == COPY_WAITING || result.status == COPY_OK);
    EXPECT_EQ(result.status, row.final);
    EXPECT_EQ(result.count, row.finalKB);
    if (row.final == COPY_FILE_DONE) {
      EXPECT_TRUE(HasBytes(target, Pattern(row.sourceSize, n))) << "continued at the failed block";
    }
    auto seen = user.prompts();
    ASSERT_EQ(seen.size(), static_cast<size_t>(row.retriesWhileFull + 1));
    for (const Prompt &prompt : seen) {
      EXPECT_EQ(Utf8FromCp932(prompt.text), Utf8FromCp932(kWriteFailed + ("\"" + target + "\"")));
      EXPECT_EQ(prompt.caption, "ファイル書込エラー");
      EXPECT_EQ(prompt.flags, static_cast<UINT>(MB_RETRYCANCEL | MB_ICONERROR));
      EXPECT_EQ(prompt.owner, nullptr);
      EXPECT_NE(prompt.thread, GetCurrentThreadId()) << "asked on the copy thread";
    }
    user.verifyAllAnswered();
  }
  DeleteFileA(kFiller);
}

TEST(DiskFull, AFullDiskRefusesAWholeBlockWithDiskFull) {
  // What the rows above rely on: the file system, not a seam, refuses the write.
  RemoveTree("T:\\inst");
  DeleteFileA(kFiller);
  FillLeaving(0);
  HANDLE file = CreateFileA("T:\\probe", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  std::vector<char> block(kBlock, 'p');
  DWORD written = 0;
  EXPECT_FALSE(WriteFile(file, block.data(), kBlock, &written, nullptr));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_DISK_FULL));
  CloseHandle(file);
  DeleteFileA("T:\\probe");
  DeleteFileA(kFiller);
}
}  // namespace
