#pragma once
// The scripted user: answers the program's message boxes in tests and records every prompt.
//
//   Responder user;                                   // installed for this object's lifetime
//   user.expect("ディスクを入れて", IDOK, [&](const Prompt &) { swapDisc(); });
//   ... run the code ...
//   EXPECT_EQ(user.prompts().size(), 1u);
//
// A prompt is matched against the pending expectations in the order they were given: the first
// whose text fragment occurs in the prompt's text (an empty fragment matches any prompt) answers it.
// An expectation answers `times` prompts (0 = any number). A prompt that nothing expects fails the
// test with its text shown in UTF-8 and is answered with `unexpectedAnswer` (IDCANCEL by default).
#include <windows.h>

#include "framework/prompt.h"

#include <functional>
#include <mutex>
#include <string>
#include <vector>

struct Prompt {
  std::string text;     // cp932 bytes as the program passed them
  std::string caption;  // cp932 bytes
  UINT flags = 0;
  HWND owner = nullptr;
  DWORD thread = 0;     // id of the thread that asked
};

class Responder {
 public:
  using Action = std::function<void(const Prompt &)>;

  Responder();
  virtual ~Responder();
  Responder(const Responder &) = delete;
  Responder &operator=(const Responder &) = delete;

  // textFragment is given in the source's own literals (cp932 at run time).
  void expect(const std::string &textFragment, int answer, Action action = nullptr, int times = 1);
  // Every prompt so far, in order.
  std::vector<Prompt> prompts() const;
  // Expectations that have not answered all their prompts yet (any-number ones never count).
  int pendingCount() const;
  // Fails the test for every expectation still waiting, naming its text fragment.
  void verifyAllAnswered() const;
  void clear();

  int unexpectedAnswer = IDCANCEL;

 private:
  struct Expectation {
    std::string fragment;
    int answer;
    Action action;
    int remaining;  // -1: any number
  };
  static int WINAPI route(HWND owner, LPCSTR text, LPCSTR caption, UINT flags);
  int answer(HWND owner, LPCSTR text, LPCSTR caption, UINT flags);

  mutable std::mutex mutex_;
  std::vector<Expectation> script_;
  std::vector<Prompt> prompts_;
  PromptRoutine previous_ = nullptr;
};

// cp932 bytes as UTF-8, for readable failure messages.
std::string Utf8FromCp932(const std::string &cp932);
