#pragma once
// The one routine every message box of the program goes through, owned or not, on any thread.
// The product shows the real box; a test replaces the routine to script the user's answers.
#include <windows.h>

using PromptRoutine = int(WINAPI *)(HWND owner, LPCSTR text, LPCSTR caption, UINT flags);

// Shows a message box through the current routine; same arguments and result as MessageBoxA.
int ShowPrompt(HWND owner, LPCSTR text, LPCSTR caption, UINT flags);

// Replaces the routine (nullptr restores the real box) and returns the one it replaced.
PromptRoutine SetPromptRoutine(PromptRoutine routine);
