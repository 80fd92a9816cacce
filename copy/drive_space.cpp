#include "copy/drive_space.h"

#include <shlwapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "config/setup_log.h"

namespace {

// Characters a folder name may not hold, in the order they are looked for.
const char FORBIDDEN_CHARACTERS[] = {'/', ':', '*', '?', '"', '<', '>', '|'};

// Finds a single-byte character, stepping over double-byte characters of the ANSI code page as a
// whole so that a trail byte equal to the character (0x83 0x7C, 0x95 0x5C in cp932) is no match.
bool containsCharacter(const char *text, char wanted) {
  for (const char *at = text; *at != '\0';) {
    if (*at == wanted) return true;
    if (IsDBCSLeadByte(static_cast<BYTE>(*at)) && at[1] != '\0') {
      at += 2;
    } else {
      ++at;
    }
  }
  return false;
}

// The path's root in a buffer of its own ("C:\", "\\server\share\"); false when it has none.
// The root is the text before what PathSkipRootA skips to. Stripping the path down with
// PathStripToRootA instead would fail on a colon after the root ("C:\Ga:mes"), which is a forbidden
// character, not a missing drive; and it takes a lone "\" for a root, which names no drive.
bool rootOf(const char *path, std::vector<char> &root) {
  const char *rest = PathSkipRootA(path);
  if (rest == nullptr || rest == path) return false;
  root.assign(path, rest);
  root.push_back('\0');
  return true;
}

void setReason(int *reason, int value) {
  if (reason != nullptr) *reason = value;
}

}  // namespace

bool checkDrivePath(const char *path, int *reason) {
  setReason(reason, DRIVE_PATH_OK);
  std::vector<char> root;
  if (path == nullptr || !rootOf(path, root)) {
    setReason(reason, DRIVE_PATH_NO_ROOT);
    return false;
  }
  const char *rest = path + (root.size() - 1);
  for (char forbidden : FORBIDDEN_CHARACTERS) {
    if (containsCharacter(rest, forbidden)) {
      setReason(reason, DRIVE_PATH_FORBIDDEN_CHAR);
      return false;
    }
  }
  UINT type = GetDriveTypeA(root.data());
  if (type != DRIVE_FIXED && type != DRIVE_REMOVABLE) {
    setReason(reason, DRIVE_PATH_UNSUITABLE);
    return false;
  }
  return true;
}

bool getDiskFreeKBByFreeSpaceEx(const char *root, DWORD *freeKB) {
  *freeKB = 0;
  HMODULE kernel = LoadLibraryA("KERNEL32.DLL");
  if (kernel == nullptr) {
    trace.print("KERNEL32.DLLのロードに失敗しました。中断します");
    return false;
  }
  using FreeSpaceEx = BOOL(WINAPI *)(LPCSTR, PULARGE_INTEGER, PULARGE_INTEGER, PULARGE_INTEGER);
  // Looked up rather than imported: the first 95-family systems do not have it.
  FreeSpaceEx freeSpaceEx = reinterpret_cast<FreeSpaceEx>(
      reinterpret_cast<void (*)()>(GetProcAddress(kernel, "GetDiskFreeSpaceExA")));
  if (freeSpaceEx == nullptr) {
    trace.print("関数GetDiskFreeSpaceExのアドレスを得られませんでした。中断します");
    FreeLibrary(kernel);
    return false;
  }
  ULARGE_INTEGER totalFree;
  totalFree.QuadPart = 0;
  // The whole free space of the volume, not what a quota leaves to the caller.
  if (!freeSpaceEx(root, nullptr, nullptr, &totalFree)) {
    trace.print("インストール先ドライブの空き容量を取得できませんでした。中断します");
    FreeLibrary(kernel);
    return false;
  }
  FreeLibrary(kernel);
  *freeKB = static_cast<DWORD>(totalFree.QuadPart >> 10);
  return true;
}

bool getDiskFreeKBByFreeSpace(const char *root, DWORD *freeKB) {
  *freeKB = 0;
  DWORD sectorsPerCluster = 0;
  DWORD bytesPerSector = 0;
  DWORD freeClusters = 0;
  if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, nullptr)) {
    trace.print("インストール先ドライブの空き容量を取得できませんでした。中断します");
    return false;
  }
  // 32-bit arithmetic, as the systems that take this route count: above 4 GB the product wraps.
  DWORD freeBytes = sectorsPerCluster * bytesPerSector * freeClusters;
  *freeKB = freeBytes >> 10;
  return true;
}

bool getDiskFreeKB(const char *path, DWORD *freeKB) {
  if (freeKB == nullptr) return false;
  *freeKB = 0;
  if (path == nullptr) return false;
  unsigned char first = static_cast<unsigned char>(path[0]);
  bool asciiLetter = (first >= 'A' && first <= 'Z') || (first >= 'a' && first <= 'z');
  if (!asciiLetter) return false;
  std::vector<char> root;
  if (!rootOf(path, root)) return false;
  if (!checkDrivePath(path)) return false;

  OSVERSIONINFOA version;
  std::memset(&version, 0, sizeof version);
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExA(&version)) {
    trace.print("ＯＳのバージョンを取得できませんでした。中断します");
    return false;
  }
  bool hasFreeSpaceEx = version.dwPlatformId == VER_PLATFORM_WIN32_NT ||
                        (version.dwPlatformId == VER_PLATFORM_WIN32_WINDOWS && LOWORD(version.dwBuildNumber) >= 1000);
  return hasFreeSpaceEx ? getDiskFreeKBByFreeSpaceEx(root.data(), freeKB)
                        : getDiskFreeKBByFreeSpace(root.data(), freeKB);
}
