#include "tools/uidriver/throttle.h"

namespace {

using ProcessCall = LONG(WINAPI *)(HANDLE);

ProcessCall ntCall(const char *name) {
  return reinterpret_cast<ProcessCall>(reinterpret_cast<void *>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), name)));
}

const DWORD kPeriodMs = 100;

}  // namespace

Throttle::~Throttle() { stop(); }

bool Throttle::start(HANDLE process, int percent) {
  if (percent <= 0 || percent >= 100) return false;
  InterlockedExchange(&runMs_, static_cast<LONG>(kPeriodMs * percent / 100));
  if (thread_) return process == process_;
  if (!ntCall("NtSuspendProcess") || !ntCall("NtResumeProcess")) return false;
  process_ = process;
  stopEvent_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
  thread_ = CreateThread(nullptr, 0, loop, this, 0, nullptr);
  return thread_ != nullptr;
}

void Throttle::stop() {
  if (!thread_) return;
  SetEvent(stopEvent_);
  WaitForSingleObject(thread_, INFINITE);
  CloseHandle(thread_);
  CloseHandle(stopEvent_);
  thread_ = nullptr;
  stopEvent_ = nullptr;
  process_ = nullptr;
}

DWORD WINAPI Throttle::loop(void *param) {
  auto *self = static_cast<Throttle *>(param);
  ProcessCall suspend = ntCall("NtSuspendProcess");
  ProcessCall resume = ntCall("NtResumeProcess");
  for (;;) {
    DWORD run = static_cast<DWORD>(self->runMs_);
    if (WaitForSingleObject(self->stopEvent_, run) == WAIT_OBJECT_0) break;
    suspend(self->process_);
    bool stopping = WaitForSingleObject(self->stopEvent_, kPeriodMs - run) == WAIT_OBJECT_0;
    resume(self->process_);
    if (stopping) break;
  }
  return 0;
}
