#include "copy/copy_seams.h"

#include <process.h>

namespace {
uintptr_t BeginThread(void *security, unsigned stackSize, unsigned(__stdcall *procedure)(void *), void *argument,
                      unsigned flags, unsigned *threadId) {
  return _beginthreadex(security, stackSize, procedure, argument, flags, threadId);
}
}  // namespace

std::atomic<ReadFileRoutine> g_readFileRoutine{&ReadFile};
std::atomic<BeginThreadRoutine> g_beginThreadRoutine{&BeginThread};
