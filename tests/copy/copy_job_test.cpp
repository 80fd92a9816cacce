// The copy job driven step by step as the progress driver does: its life cycle, the status
// protocol, cancelling, file times and attributes, sizes and path joining.
#include <windows.h>

#include <string>
#include <vector>

#include "copy/copy_job.h"
#include "copy/copy_seams.h"
#include "gtest/gtest.h"
#include "tests/copy/copy_test_util.h"
#include "tests/support/responder.h"

namespace {
const DWORD kBlock = CopyJob::kBlockSize;

bool IsStillCopying(CopyStatus status) { return status == COPY_WAITING || status == COPY_OK; }

TEST(CopyJobLife, PrepareStepAndDeactivate) {
  std::string folder = FreshFolder("life");
  CopyJob job;
  EXPECT_FALSE(job.isRunning());
  IoResult idle = job.step();
  EXPECT_EQ(idle.status, COPY_NOT_PREPARED);
  EXPECT_EQ(idle.count, 0u);
  EXPECT_FALSE(job.requestCancel());

  ASSERT_TRUE(job.prepare(TypeOf({}), folder.c_str(), folder.c_str()));
  EXPECT_TRUE(job.isRunning());
  EXPECT_FALSE(job.prepare(TypeOf({"x"}), "C:\\other\\", "C:\\other\\")) << "already running";
  EXPECT_STREQ(job.sourceFolder(), folder.c_str()) << "a refused prepare changes nothing";
  for (int i = 0; i < 2; ++i) {
    IoResult done = job.step();
    EXPECT_EQ(done.status, COPY_ALL_DONE) << "an empty list is done at once, and stays done";
    EXPECT_EQ(done.count, 0u);
  }
  EXPECT_TRUE(job.isRunning()) << "running until deactivated";
  job.deactivate();
  EXPECT_EQ(job.step().status, COPY_NOT_PREPARED);
  EXPECT_FALSE(job.requestCancel());

  std::string longFolder(300, 'f');
  ASSERT_TRUE(job.prepare(TypeOf({}), nullptr, longFolder.c_str()));
  EXPECT_STREQ(job.sourceFolder(), folder.c_str()) << "a null folder keeps the one held";
  EXPECT_EQ(std::string(job.destinationFolder()), longFolder.substr(0, 259));
}

struct Fixture {
  const char *entry;
  size_t size;
};

TEST(CopyJobProtocol, StepResultsOverTheFixtures) {
  const Fixture fixtures[] = {
      {"empty.bin", 0},
      {"one_block.bin", kBlock},
      {"Sub\\block_and_byte.bin", kBlock + 1},
      {"Sub\\Deeper\\several.bin", 3 * kBlock + 1500},
  };
  std::string source = FreshFolder("proto-src");
  std::string dest = FreshFolder("proto-dst");
  MakeFolders(source + "Sub\\Deeper");
  std::vector<std::string> entries;
  int n = 0;
  for (const Fixture &f : fixtures) {
    WriteBytes(source + f.entry, Pattern(f.size, ++n));
    entries.push_back(f.entry);
  }
  CopyJob job;
  ASSERT_TRUE(job.prepare(TypeOf(entries), source.c_str(), dest.c_str()));
  std::vector<IoResult> results = RunSteps(job);
  ASSERT_FALSE(results.empty());
  EXPECT_EQ(results.back().status, COPY_ALL_DONE);
  EXPECT_EQ(results.back().count, 0u);

  // Each file's end is reported once, with the KB of every file so far; in between only
  // waiting and block statuses, and the KB count never falls.
  std::vector<DWORD> doneCounts;
  DWORD last = 0;
  for (size_t i = 0; i + 1 < results.size(); ++i) {
    CopyStatus status = results[i].status;
    EXPECT_TRUE(IsStillCopying(status) || status == COPY_FILE_DONE) << "step " << i << " status " << status;
    EXPECT_GE(results[i].count, last) << "step " << i;
    last = results[i].count;
    if (status == COPY_FILE_DONE) doneCounts.push_back(results[i].count);
  }
  std::vector<DWORD> expected;
  DWORD total = 0;
  for (const Fixture &f : fixtures) expected.push_back(total += static_cast<DWORD>(f.size >> 10));
  EXPECT_EQ(doneCounts, expected);
  n = 0;
  for (const Fixture &f : fixtures) EXPECT_TRUE(HasBytes(dest + f.entry, Pattern(f.size, ++n))) << f.entry;
}

TEST(CopyJobCancel, BetweenTwoFiles_TheNextFileIsCreatedEmptyThenCanceled) {
  std::string source = FreshFolder("between-src");
  std::string dest = FreshFolder("between-dst");
  WriteBytes(source + "first.bin", Pattern(2 * kBlock));
  WriteBytes(source + "second.bin", Pattern(5 * kBlock));
  CopyJob job;
  ASSERT_TRUE(job.prepare(TypeOf({"first.bin", "second.bin"}), source.c_str(), dest.c_str()));
  IoResult result;
  do {
    result = job.step();
  } while (IsStillCopying(result.status));
  ASSERT_EQ(result.status, COPY_FILE_DONE);
  EXPECT_TRUE(job.requestCancel());
  std::vector<IoResult> rest = RunSteps(job);
  EXPECT_LE(rest.size(), 2u) << "the step that starts the file, or the one after it, reports the cancel";
  EXPECT_EQ(rest.back().status, COPY_CANCELED);
  EXPECT_EQ(rest.back().count, 2 * kBlock / 1024);
  EXPECT_EQ(ReadBytes(dest + "second.bin"), "") << "created, and empty";
  EXPECT_TRUE(HasBytes(dest + "first.bin", Pattern(2 * kBlock)));
}

TEST(CopyJobCancel, BeforeTheFirstStep) {
  std::string source = FreshFolder("early-src");
  std::string dest = FreshFolder("early-dst");
  WriteBytes(source + "a.bin", Pattern(kBlock));
  CopyJob job;
  ASSERT_TRUE(job.prepare(TypeOf({"a.bin"}), source.c_str(), dest.c_str()));
  EXPECT_TRUE(job.requestCancel());
  std::vector<IoResult> results = RunSteps(job);
  EXPECT_EQ(results.back().status, COPY_CANCELED);
  EXPECT_EQ(results.back().count, 0u);
  EXPECT_EQ(ReadBytes(dest + "a.bin"), "");
  // A new run starts afresh.
  job.deactivate();
  ASSERT_TRUE(job.prepare(TypeOf({"a.bin"}), source.c_str(), dest.c_str()));
  EXPECT_EQ(RunSteps(job).back().status, COPY_ALL_DONE);
  EXPECT_TRUE(HasBytes(dest + "a.bin", Pattern(kBlock)));
}

struct PromptRow {
  const char *name;
  int answer;
  CopyStatus final;
};

TEST(CopyJobCancel, WhileAReadPromptIsOpenTheAnswerWins) {
  const PromptRow rows[] = {
      {"Cancel in the prompt", IDCANCEL, COPY_READ_FAILED},
      {"Retry in the prompt", IDRETRY, COPY_CANCELED},
  };
  std::string source = FreshFolder("prompt-src");
  WriteBytes(source + "a.bin", Pattern(4 * kBlock));
  WriteBytes(source + "b.bin", Pattern(10));
  for (const PromptRow &row : rows) {
    SCOPED_TRACE(row.name);
    std::string dest = FreshFolder("prompt-dst");
    HANDLE promptOpen = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    HANDLE cancelSeen = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    Responder user;
    DWORD promptThread = 0;
    user.expect("読み込みに失敗", row.answer, [&](const Prompt &prompt) {
      promptThread = prompt.thread;
      SetEvent(promptOpen);
      WaitForSingleObject(cancelSeen, 10000);
    });
    ReadSeam seam(2, ReadSeam::FAIL_ONCE);
    CopyJob job;
    ASSERT_TRUE(job.prepare(TypeOf({"a.bin", "b.bin"}), source.c_str(), dest.c_str()));
    IoResult result;
    bool canceled = false;
    for (int i = 0; i < 100000; ++i) {
      result = job.step();
      if (!IsStillCopying(result.status)) break;
      if (!canceled && WaitForSingleObject(promptOpen, 0) == WAIT_OBJECT_0) {
        // The dialog's cancel, confirmed while the copy thread's prompt waits for its answer.
        EXPECT_TRUE(job.requestCancel());
        result = job.step();
        EXPECT_TRUE(IsStillCopying(result.status)) << "the thread is still in its prompt";
        canceled = true;
        SetEvent(cancelSeen);
      }
    }
    EXPECT_TRUE(canceled);
    EXPECT_EQ(result.status, row.final);
    EXPECT_NE(promptThread, GetCurrentThreadId());
    CloseHandle(promptOpen);
    CloseHandle(cancelSeen);
  }
}

TEST(CopyJobFiles, AReadOnlySourceArrivesWritableWithItsTimesAndOtherAttributes) {
  std::string source = FreshFolder("ro-src");
  std::string dest = FreshFolder("ro-dst");
  WriteBytes(source + "ro.bin", Pattern(kBlock + 10));
  SYSTEMTIME old = {2001, 2, 0, 3, 4, 5, 6, 0};
  FILETIME written;
  SystemTimeToFileTime(&old, &written);
  // An access time ahead of the change time, so that reading the source does not move it.
  FILETIME accessed;
  GetSystemTimeAsFileTime(&accessed);
  ULARGE_INTEGER later;
  later.LowPart = accessed.dwLowDateTime;
  later.HighPart = accessed.dwHighDateTime;
  later.QuadPart += 2 * 86400 * 10000000ull;
  later.QuadPart -= later.QuadPart % 10000000ull;  // whole seconds survive every file system
  accessed.dwLowDateTime = later.LowPart;
  accessed.dwHighDateTime = later.HighPart;
  {
    HANDLE file = CreateFileA((source + "ro.bin").c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    ASSERT_TRUE(SetFileTime(file, &written, &accessed, &written));
    CloseHandle(file);
  }
  ASSERT_TRUE(SetFileAttributesA((source + "ro.bin").c_str(), FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN));

  CopyJob job;
  ASSERT_TRUE(job.prepare(TypeOf({"ro.bin"}), source.c_str(), dest.c_str()));
  ASSERT_EQ(RunSteps(job).back().status, COPY_ALL_DONE);

  WIN32_FILE_ATTRIBUTE_DATA from, to;
  ASSERT_TRUE(GetFileAttributesExA((source + "ro.bin").c_str(), GetFileExInfoStandard, &from));
  ASSERT_TRUE(GetFileAttributesExA((dest + "ro.bin").c_str(), GetFileExInfoStandard, &to));
  EXPECT_EQ(to.dwFileAttributes & FILE_ATTRIBUTE_READONLY, 0u);
  EXPECT_NE(to.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN, 0u) << "the other bits travel with the file";
  EXPECT_EQ(CompareFileTime(&to.ftLastWriteTime, &written), 0);
  EXPECT_EQ(CompareFileTime(&to.ftLastAccessTime, &from.ftLastAccessTime), 0);
  EXPECT_EQ(CompareFileTime(&to.ftLastAccessTime, &accessed), 0);
  // Writable: it can be opened for writing and deleted like any installed file.
  HANDLE writable = CreateFileA((dest + "ro.bin").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(writable, INVALID_HANDLE_VALUE);
  if (writable != INVALID_HANDLE_VALUE) CloseHandle(writable);
  EXPECT_TRUE(HasBytes(dest + "ro.bin", Pattern(kBlock + 10)));
}

TEST(CopyJobFailures, ADestinationThatCannotBeWrittenCancels) {
  std::string source = FreshFolder("refused-src");
  std::string dest = FreshFolder("refused-dst");
  WriteBytes(source + "a.bin", "a");
  MakeFolders(dest + "a.bin");
  Responder user;
  user.expect("同名のフォルダ", IDOK);
  CopyJob job;
  ASSERT_TRUE(job.prepare(TypeOf({"a.bin"}), source.c_str(), dest.c_str()));
  IoResult result = job.step();
  EXPECT_EQ(result.status, COPY_CANCELED);
  EXPECT_EQ(result.count, 0u);
  EXPECT_EQ(user.prompts().size(), 1u);
  // Nothing of the source is held afterwards.
  HANDLE again = CreateFileA((source + "a.bin").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(again, INVALID_HANDLE_VALUE);
  if (again != INVALID_HANDLE_VALUE) CloseHandle(again);
}

TEST(CopyJobFailures, AFolderThatCannotBeMadeShowsItsMessageThenCancels) {
  std::string source = FreshFolder("nofolder-src");
  MakeFolders(source + "sub");
  WriteBytes(source + "sub\\a.bin", "a");
  Responder user;
  user.expect("の作成に失敗しました", IDOK);
  CopyJob job;
  // F: is a drive without a medium.
  ASSERT_TRUE(job.prepare(TypeOf({"sub\\a.bin"}), source.c_str(), "F:\\inst\\"));
  EXPECT_EQ(job.step().status, COPY_CANCELED);
  auto seen = user.prompts();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].caption, "フォルダが作成できませんでした");
}

uintptr_t NoThread(void *, unsigned, unsigned(__stdcall *)(void *), void *, unsigned, unsigned *) { return 0; }

TEST(CopyJobFailures, ACopyThreadThatCannotStartCancelsWithBothFilesClosed) {
  std::string source = FreshFolder("nothread-src");
  std::string dest = FreshFolder("nothread-dst");
  WriteBytes(source + "a.bin", Pattern(100));
  WriteBytes(source + "b.bin", Pattern(kBlock * 2));
  CopyJob job;
  ASSERT_TRUE(job.prepare(TypeOf({"a.bin", "b.bin"}), source.c_str(), dest.c_str()));
  IoResult result;
  do {
    result = job.step();
  } while (IsStillCopying(result.status));
  ASSERT_EQ(result.status, COPY_FILE_DONE);
  BeginThreadRoutine previous = g_beginThreadRoutine.exchange(&NoThread);
  result = job.step();
  g_beginThreadRoutine.store(previous);
  EXPECT_EQ(result.status, COPY_CANCELED) << "never waits for a thread that does not exist";
  EXPECT_EQ(result.count, 0u);
  for (const char *path : {"a.bin", "b.bin"}) {
    HANDLE file = CreateFileA((source + path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    EXPECT_NE(file, INVALID_HANDLE_VALUE) << "source " << path << " closed";
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
  HANDLE created = CreateFileA((dest + "b.bin").c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(created, INVALID_HANDLE_VALUE) << "destination closed";
  if (created != INVALID_HANDLE_VALUE) CloseHandle(created);
  EXPECT_TRUE(job.rollback(TypeOf({"a.bin", "b.bin"})));
  EXPECT_FALSE(Exists(dest + "b.bin"));
  EXPECT_FALSE(Exists(dest + "a.bin"));
}

TEST(CopyJobFailures, AReadFailureEndsTheFileAndTheNextStepGoesOn) {
  std::string source = FreshFolder("readfail-src");
  std::string dest = FreshFolder("readfail-dst");
  WriteBytes(source + "a.bin", Pattern(3 * kBlock));
  WriteBytes(source + "b.bin", Pattern(7));
  Responder user;
  user.expect("読み込みに失敗", IDCANCEL);
  ReadSeam seam(2, ReadSeam::FAIL_ONCE);
  CopyJob job;
  ASSERT_TRUE(job.prepare(TypeOf({"a.bin", "b.bin"}), source.c_str(), dest.c_str()));
  std::vector<IoResult> results = RunSteps(job);
  EXPECT_EQ(results.back().status, COPY_READ_FAILED);
  EXPECT_EQ(results.back().count, kBlock / 1024);
  EXPECT_TRUE(HasBytes(dest + "a.bin", Pattern(3 * kBlock).substr(0, kBlock)));
  // The job itself has moved past the failed entry; the driver stops here, but a further step copies b.
  EXPECT_EQ(RunSteps(job).back().status, COPY_ALL_DONE);
  EXPECT_TRUE(HasBytes(dest + "b.bin", Pattern(7)));
}

TEST(FileSizes, WholeKBRoundedDownAndZeroForWhatCannotBeOpened) {
  std::string folder = FreshFolder("sizes");
  WriteBytes(folder + "1023", Pattern(1023));
  WriteBytes(folder + "1024", Pattern(1024));
  WriteBytes(folder + "2047", Pattern(2047));
  WriteBytes(folder + "held", Pattern(4096));
  {
    // 5 GiB, sparse: the high half of the size counts too.
    HANDLE big = CreateFileA((folder + "big").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(big, INVALID_HANDLE_VALUE);
    LONG high = 1;
    SetFilePointer(big, 0x40000000, &high, FILE_BEGIN);
    ASSERT_TRUE(SetEndOfFile(big));
    CloseHandle(big);
  }
  HANDLE other = CreateFileA((folder + "held").c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  const struct {
    const char *name;
    DWORD kb;
  } rows[] = {{"1023", 0}, {"1024", 1}, {"2047", 1}, {"big", 5u * 1024 * 1024}, {"held", 0}, {"absent", 0}};
  for (const auto &row : rows) EXPECT_EQ(getFileSizeKB((folder + row.name).c_str()), row.kb) << row.name;
  CopyJob job;
  EXPECT_EQ(job.sumEntrySizesKB(folder.c_str(), TypeOf({"1023", "1024", "2047", "big", "held", "absent"})),
            2u + 5u * 1024 * 1024);
  std::string noSlash = folder.substr(0, folder.size() - 1);
  EXPECT_EQ(job.sumEntrySizesKB(noSlash.c_str(), TypeOf({"2047", "1024"})), 2u);
  CloseHandle(other);
}

TEST(AppendPath, JoinsWithOneBackslashAndTrimsBlanks) {
  const struct {
    const char *base;
    const char *name;
    const char *joined;
  } rows[] = {
      {"C:\\Games", "a.dat", "C:\\Games\\a.dat"},
      {"C:\\Games\\", "a.dat", "C:\\Games\\a.dat"},
      {"  C:\\Games  ", "sub\\a.dat  ", "C:\\Games\\sub\\a.dat"},
      {"C:\\Games\\", " a.dat", "C:\\Games\\ a.dat"},
      {"", "a.dat", "a.dat"},
      {"C:\\ソフト", "a.dat", "C:\\ソフト\\a.dat"},  // ト's second byte is not a backslash: ソ's is
      {"C:\\ソ", "a.dat", "C:\\ソ\\a.dat"},
  };
  for (const auto &row : rows) {
    EXPECT_EQ(appendPath(std::string(row.base), std::string(row.name)), row.joined) << Utf8FromCp932(row.joined);
    char buffer[264];
    lstrcpynA(buffer, row.base, sizeof buffer);
    EXPECT_TRUE(appendPath(buffer, row.name));
    EXPECT_STREQ(buffer, row.joined);
  }
}

TEST(AppendPath, ABufferIsLeftAloneWhenTheResultWouldNotFit) {
  char wide[264];
  std::string folder(258, 'a');
  lstrcpynA(wide, folder.c_str(), sizeof wide);
  EXPECT_TRUE(appendPath(wide, "1234")) << "263 bytes fit";
  EXPECT_EQ(std::string(wide), folder + "\\1234");
  lstrcpynA(wide, folder.c_str(), sizeof wide);
  EXPECT_FALSE(appendPath(wide, "12345"));
  EXPECT_EQ(std::string(wide), folder);
  char narrow[261];
  lstrcpynA(narrow, folder.c_str(), sizeof narrow);
  EXPECT_FALSE(appendPath(narrow, "12")) << "the caller's buffer is the limit too";
  EXPECT_EQ(std::string(narrow), folder);
}
}  // namespace
