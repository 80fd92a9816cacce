#pragma once
// Two system calls that a test cannot make fail through the file system or the system itself: a
// failing ReadFile and a thread that cannot be created. The installer never changes them.
#include <windows.h>

#include <atomic>
#include <cstdint>

using ReadFileRoutine = BOOL(WINAPI *)(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped);
using BeginThreadRoutine = uintptr_t (*)(void *security, unsigned stackSize, unsigned(__stdcall *procedure)(void *),
                                         void *argument, unsigned flags, unsigned *threadId);

// ReadFile by default; Reader::read goes through it.
extern std::atomic<ReadFileRoutine> g_readFileRoutine;
// _beginthreadex by default; FileCopier::start goes through it.
extern std::atomic<BeginThreadRoutine> g_beginThreadRoutine;
