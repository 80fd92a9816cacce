// A program for the installer to start: appends its own path as one line to the file named by the
// environment variable INST_TEST_MARKER, so that a test sees that (and which copy of) it was started.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  char marker[MAX_PATH] = {};
  DWORD length = GetEnvironmentVariableA("INST_TEST_MARKER", marker, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return 1;
  char self[MAX_PATH] = {};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  HANDLE file = CreateFileA(marker, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 2;
  DWORD written = 0;
  WriteFile(file, self, lstrlenA(self), &written, nullptr);
  WriteFile(file, "\n", 1, &written, nullptr);
  CloseHandle(file);
  return 0;
}
