#include "framework/prompt.h"

#include <atomic>

namespace {
std::atomic<PromptRoutine> g_routine{nullptr};
}

int ShowPrompt(HWND owner, LPCSTR text, LPCSTR caption, UINT flags) {
  PromptRoutine routine = g_routine.load();
  if (routine != nullptr) return routine(owner, text, caption, flags);
  return MessageBoxA(owner, text, caption, flags);
}

PromptRoutine SetPromptRoutine(PromptRoutine routine) { return g_routine.exchange(routine); }
