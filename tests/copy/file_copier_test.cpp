// The copy thread: the status protocol, the KB counter, cancelling, prompts on the copy thread,
// a thread that cannot be started and the release of finished threads' handles.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "copy/copy_seams.h"
#include "copy/file_copier.h"
#include "copy/reader.h"
#include "copy/writer.h"
#include "gtest/gtest.h"
#include "tests/copy/copy_test_util.h"
#include "tests/support/responder.h"

namespace {
const DWORD kBlock = 16384;

// Polls until a final status; every result seen on the way.
std::vector<IoResult> PollToEnd(FileCopier &copier) {
  std::vector<IoResult> seen;
  for (int i = 0; i < 200000; ++i) {
    IoResult result = copier.getResult();
    seen.push_back(result);
    if (IsFinalCopyStatus(result.status)) return seen;
    Sleep(0);
  }
  ADD_FAILURE() << "the copy thread never reported an end";
  return seen;
}

// Waits until the copier has noticed that its thread ended.
void WaitUntilForgotten(FileCopier &copier) {
  for (int i = 0; i < 5000 && copier.isRunning(); ++i) {
    copier.getResult();
    Sleep(1);
  }
  EXPECT_FALSE(copier.isRunning());
}

struct Fixture {
  const char *name;
  size_t size;
};
const Fixture kFixtures[] = {
    {"empty", 0}, {"one block", kBlock}, {"one block and a byte", kBlock + 1}, {"several blocks", 3 * kBlock + 1500}};

TEST(CopyThread, StatusProtocolOverTheFixtures) {
  std::string folder = FreshFolder("protocol");
  FileCopier copier;
  copier.clear();
  DWORD expectedKB = 0;
  int n = 0;
  for (const Fixture &fixture : kFixtures) {
    SCOPED_TRACE(fixture.name);
    std::string source = folder + "src" + std::to_string(++n);
    std::string target = folder + "dst" + std::to_string(n);
    WriteBytes(source, Pattern(fixture.size, n));
    DWORD before = copier.getResult().count;
    {
      Reader reader(source, kBlock, true);
      Writer writer(target, kBlock);
      ASSERT_TRUE(copier.start(&reader, &writer, kBlock));
      EXPECT_TRUE(copier.isRunning());
      std::vector<IoResult> seen = PollToEnd(copier);
      expectedKB += static_cast<DWORD>(fixture.size >> 10);
      DWORD last = before;
      for (size_t i = 0; i < seen.size(); ++i) {
        bool final = i + 1 == seen.size();
        CopyStatus status = seen[i].status;
        EXPECT_TRUE(final ? status == COPY_FILE_DONE : status == COPY_WAITING || status == COPY_OK)
            << "poll " << i << " status " << status;
        EXPECT_GE(seen[i].count, last) << "the KB total only grows";
        last = seen[i].count;
      }
      EXPECT_EQ(seen.back().count, expectedKB) << "file sizes in whole KB, summed over the job";
      WaitUntilForgotten(copier);
    }
    EXPECT_TRUE(HasBytes(target, Pattern(fixture.size, n)));
  }
  copier.clear();
  EXPECT_EQ(copier.getResult().status, COPY_FILE_DONE) << "clear keeps the last result";
}

TEST(CopyThread, CancelBeforeStartEndsAtOnceWithoutReading) {
  std::string folder = FreshFolder("cancel-first");
  WriteBytes(folder + "src", Pattern(5 * kBlock));
  FileCopier copier;
  copier.clear();
  copier.cancel();
  {
    Reader reader(folder + "src", kBlock, true);
    Writer writer(folder + "dst", kBlock);
    ASSERT_TRUE(copier.start(&reader, &writer, kBlock));
    std::vector<IoResult> seen = PollToEnd(copier);
    EXPECT_EQ(seen.back().status, COPY_CANCELED);
    EXPECT_EQ(seen.back().count, 0u);
    WaitUntilForgotten(copier);
  }
  EXPECT_EQ(ReadBytes(folder + "dst"), "");
}

// A ReadFile that stops on its second call until the test lets it go on.
HANDLE g_reached = nullptr;
HANDLE g_release = nullptr;
std::atomic<int> g_calls{0};
BOOL WINAPI ReadHeldAtSecondBlock(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD done, LPOVERLAPPED overlapped) {
  if (++g_calls == 2) {
    SetEvent(g_reached);
    WaitForSingleObject(g_release, INFINITE);
  }
  return ReadFile(file, buffer, toRead, done, overlapped);
}

// Fails every read from the second on; the prompt decides what follows.
BOOL WINAPI ReadFailingFromSecondBlock(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD done, LPOVERLAPPED overlapped) {
  if (++g_calls == 2) {
    SetLastError(ERROR_CRC);
    return FALSE;
  }
  return ReadFile(file, buffer, toRead, done, overlapped);
}

class SeamedRead : public testing::Test {
 protected:
  void SetUp() override {
    g_calls = 0;
    g_reached = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    g_release = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    previous_ = g_readFileRoutine.load();
  }
  void TearDown() override {
    g_readFileRoutine.store(previous_);
    CloseHandle(g_reached);
    CloseHandle(g_release);
  }
  ReadFileRoutine previous_ = nullptr;
};

TEST_F(SeamedRead, CancelIsSeenAfterTheBlockInHand) {
  g_readFileRoutine.store(&ReadHeldAtSecondBlock);
  std::string folder = FreshFolder("cancel-mid");
  WriteBytes(folder + "src", Pattern(6 * kBlock));
  FileCopier copier;
  copier.clear();
  {
    Reader reader(folder + "src", kBlock, true);
    Writer writer(folder + "dst", kBlock);
    ASSERT_TRUE(copier.start(&reader, &writer, kBlock));
    ASSERT_EQ(WaitForSingleObject(g_reached, 10000), WAIT_OBJECT_0);
    copier.cancel();
    SetEvent(g_release);
    std::vector<IoResult> seen = PollToEnd(copier);
    EXPECT_EQ(seen.back().status, COPY_CANCELED);
    EXPECT_EQ(seen.back().count, 2 * kBlock / 1024);
    WaitUntilForgotten(copier);
  }
  EXPECT_TRUE(HasBytes(folder + "dst", Pattern(6 * kBlock).substr(0, 2 * kBlock)));
}

struct PromptCancelRow {
  const char *name;
  int answer;
  CopyStatus final;
  size_t bytesWritten;
};

TEST_F(SeamedRead, ReadPromptAppearsOnTheCopyThreadAndItsAnswerWinsOverACancel) {
  g_readFileRoutine.store(&ReadFailingFromSecondBlock);
  const PromptCancelRow rows[] = {
      {"Cancel in the prompt", IDCANCEL, COPY_READ_FAILED, kBlock},
      {"Retry in the prompt", IDRETRY, COPY_CANCELED, 2 * kBlock},
  };
  std::string folder = FreshFolder("prompt-cancel");
  WriteBytes(folder + "src", Pattern(4 * kBlock));
  for (const PromptCancelRow &row : rows) {
    SCOPED_TRACE(row.name);
    g_calls = 0;
    FileCopier copier;
    copier.clear();
    Responder user;
    DWORD promptThread = 0;
    // The user presses the dialog's cancel while the prompt is open, then answers it.
    user.expect("読み込みに失敗", row.answer, [&](const Prompt &prompt) {
      promptThread = prompt.thread;
      copier.cancel();
    });
    {
      Reader reader(folder + "src", kBlock, true);
      Writer writer(folder + "dst", kBlock);
      ASSERT_TRUE(copier.start(&reader, &writer, kBlock));
      std::vector<IoResult> seen = PollToEnd(copier);
      EXPECT_EQ(seen.back().status, row.final);
      WaitUntilForgotten(copier);
    }
    EXPECT_NE(promptThread, 0u);
    EXPECT_NE(promptThread, GetCurrentThreadId()) << "the prompt belongs to the copy thread";
    EXPECT_TRUE(HasBytes(folder + "dst", Pattern(4 * kBlock).substr(0, row.bytesWritten)));
    auto seen = user.prompts();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].owner, nullptr);
    EXPECT_EQ(seen[0].caption, "ファイル読込エラー");
  }
}

uintptr_t NoThread(void *, unsigned, unsigned(__stdcall *)(void *), void *, unsigned, unsigned *) { return 0; }

TEST(CopyThread, AThreadThatCannotBeStartedIsReported) {
  std::string folder = FreshFolder("no-thread");
  WriteBytes(folder + "src", "abc");
  BeginThreadRoutine previous = g_beginThreadRoutine.exchange(&NoThread);
  FileCopier copier;
  copier.clear();
  Reader reader(folder + "src", kBlock, true);
  Writer writer(folder + "dst", kBlock);
  EXPECT_FALSE(copier.start(&reader, &writer, kBlock));
  EXPECT_FALSE(copier.isRunning());
  EXPECT_EQ(copier.getResult().status, COPY_WAITING);
  g_beginThreadRoutine.store(previous);
}

TEST(CopyThread, MissingParametersEndTheThreadWithoutAStatus) {
  FileCopier copier;
  copier.clear();
  ASSERT_TRUE(copier.start(nullptr, nullptr, kBlock));
  WaitUntilForgotten(copier);
  EXPECT_EQ(copier.getResult().status, COPY_WAITING);
}

// The highest of 200 fresh handles: the slots below it that are taken stay taken, so every handle
// leaked in between moves it up.
uintptr_t HandleHighWater() {
  std::vector<HANDLE> probes;
  uintptr_t highest = 0;
  for (int i = 0; i < 200; ++i) {
    probes.push_back(CreateEventA(nullptr, FALSE, FALSE, nullptr));
    highest = std::max(highest, reinterpret_cast<uintptr_t>(probes.back()));
  }
  for (HANDLE probe : probes) CloseHandle(probe);
  return highest;
}

TEST(CopyThread, FinishedThreadsLeaveNoHandleBehind) {
  std::string folder = FreshFolder("handles");
  WriteBytes(folder + "src", Pattern(100));
  FileCopier copier;
  copier.clear();
  auto copyOnce = [&](int i) {
    Reader reader(folder + "src", kBlock, true);
    Writer writer(folder + "dst" + std::to_string(i), kBlock);
    ASSERT_TRUE(copier.start(&reader, &writer, kBlock));
    PollToEnd(copier);
    // Half of the files are started again before the copier has seen the thread end.
    if (i % 2 == 0) copier.waitForEnd(5000, 0);
  };
  copyOnce(0);
  WaitUntilForgotten(copier);
  uintptr_t before = HandleHighWater();
  for (int i = 1; i <= 60; ++i) copyOnce(i);
  WaitUntilForgotten(copier);
  uintptr_t after = HandleHighWater();
  EXPECT_EQ(after, before) << "a thread handle kept per file moves it up";
}
}  // namespace
