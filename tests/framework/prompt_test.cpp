#include <windows.h>

#include <thread>

#include "framework/prompt.h"
#include "gtest/gtest-spi.h"
#include "gtest/gtest.h"
#include "tests/support/responder.h"

TEST(PromptSeam, RecordsEveryPromptWithItsThreadAndAnswersFromTheScript) {
  Responder user;
  user.expect("中止", IDYES);
  user.expect("", IDRETRY, nullptr, 0);
  EXPECT_EQ(ShowPrompt(nullptr, "インストールを中止します。よろしいですか？", "確認", MB_YESNO | MB_ICONQUESTION), IDYES);
  DWORD worker = 0;
  std::thread t([&] {
    worker = GetCurrentThreadId();
    EXPECT_EQ(ShowPrompt(nullptr, "書き込めません", "エラー", MB_RETRYCANCEL), IDRETRY);
  });
  t.join();
  auto seen = user.prompts();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].caption, "確認");
  EXPECT_EQ(seen[0].caption, std::string("\x8a\x6d\x94\x46"));  // cp932 bytes of the literal
  EXPECT_EQ(seen[0].flags, static_cast<UINT>(MB_YESNO | MB_ICONQUESTION));
  EXPECT_EQ(seen[0].thread, GetCurrentThreadId());
  EXPECT_EQ(seen[1].thread, worker);
  user.verifyAllAnswered();
}

TEST(PromptSeam, ActionRunsWhenItsPromptAppears) {
  Responder user;
  bool swapped = false;
  user.expect("ディスク", IDOK, [&](const Prompt &p) { swapped = p.caption == "確認"; });
  EXPECT_EQ(ShowPrompt(nullptr, "ディスクを入れてください", "確認", MB_OKCANCEL), IDOK);
  EXPECT_TRUE(swapped);
  EXPECT_EQ(user.pendingCount(), 0);
}

TEST(PromptSeam, UnexpectedPromptFailsNamingItsText) {
  Responder user;
  user.unexpectedAnswer = IDNO;
  int answer = 0;
  EXPECT_NONFATAL_FAILURE(answer = ShowPrompt(nullptr, "予期しない質問", "確認", MB_YESNO), u8"予期しない質問");
  EXPECT_EQ(answer, IDNO);
}
