#pragma once
// Keeps windows alive while a handler runs a long loop on the dialog's thread.
#include <windows.h>

// Handles at most one waiting message of this thread's queue and returns at once when none waits.
// A waiting message is taken (GetMessageA) and, when dialog is given and IsDialogMessageA consumes
// it (Tab, Enter, Esc), left to the dialog; otherwise translated and dispatched. A WM_QUIT taken
// here is dropped. Returns true when a message was taken.
bool PumpOneMessage(HWND dialog = nullptr);
