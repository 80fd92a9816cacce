#include "tests/support/responder.h"

#include "gtest/gtest.h"

namespace {
Responder *g_active = nullptr;
}

std::string Utf8FromCp932(const std::string &cp932) {
  if (cp932.empty()) return std::string();
  int wide = MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(wide), L'\0');
  MultiByteToWideChar(932, 0, cp932.data(), static_cast<int>(cp932.size()), &w[0], wide);
  int bytes = WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), wide, &out[0], bytes, nullptr, nullptr);
  return out;
}

Responder::Responder() {
  g_active = this;
  previous_ = SetPromptRoutine(&Responder::route);
}

Responder::~Responder() {
  SetPromptRoutine(previous_);
  g_active = nullptr;
}

void Responder::expect(const std::string &textFragment, int answer, Action action, int times) {
  std::lock_guard<std::mutex> lock(mutex_);
  script_.push_back(Expectation{textFragment, answer, std::move(action), times == 0 ? -1 : times});
}

std::vector<Prompt> Responder::prompts() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return prompts_;
}

int Responder::pendingCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  int pending = 0;
  for (const Expectation &e : script_)
    if (e.remaining > 0) ++pending;
  return pending;
}

void Responder::verifyAllAnswered() const {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const Expectation &e : script_)
    if (e.remaining > 0) ADD_FAILURE() << "expected prompt never appeared: \"" << Utf8FromCp932(e.fragment) << "\"";
}

void Responder::clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  script_.clear();
  prompts_.clear();
}

int WINAPI Responder::route(HWND owner, LPCSTR text, LPCSTR caption, UINT flags) {
  return g_active->answer(owner, text, caption, flags);
}

int Responder::answer(HWND owner, LPCSTR text, LPCSTR caption, UINT flags) {
  Prompt prompt{text ? text : "", caption ? caption : "", flags, owner, GetCurrentThreadId()};
  Action action;
  int result = unexpectedAnswer;
  bool matched = false;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    prompts_.push_back(prompt);
    for (Expectation &e : script_) {
      if (e.remaining == 0) continue;
      if (!e.fragment.empty() && prompt.text.find(e.fragment) == std::string::npos) continue;
      if (e.remaining > 0) --e.remaining;
      result = e.answer;
      action = e.action;
      matched = true;
      break;
    }
  }
  if (!matched) {
    ADD_FAILURE() << "unexpected prompt: \"" << Utf8FromCp932(prompt.text) << "\" caption \""
                  << Utf8FromCp932(prompt.caption) << "\" flags 0x" << std::hex << flags;
  }
  // Outside the lock: an action may take its time (swap a disc) or look at the records.
  if (action) action(prompt);
  return result;
}
