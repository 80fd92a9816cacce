#include "framework/message_pump.h"

bool PumpOneMessage(HWND dialog) {
  MSG msg;
  // Taking the message in the same call that finds it means the pump can never block.
  if (!PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) return false;
  if (msg.message == WM_QUIT) return true;  // dropped: the caller's loop goes on
  if (dialog != nullptr && IsDialogMessageA(dialog, &msg)) return true;
  TranslateMessage(&msg);
  DispatchMessageA(&msg);
  return true;
}
