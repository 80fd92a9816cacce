#include "sysinfo/sysinf.h"

#include <shlobj.h>

#include <cstring>
#include <string>

#include "config/reg_key.h"
#include "config/setup_log.h"
#include "sysinfo/sysinf_sources.h"

namespace {

SysInfSources &sources() {
  static SysInfSources current = RealSysInfSources();
  return current;
}

std::string &programFilesText() {
  static std::string text;
  return text;
}

// The value as stored (REG_SZ or REG_EXPAND_SZ alike, not expanded); false when unreadable or empty.
bool readProgramFilesDir(char *buffer, DWORD bufferSize) {
  RegKey key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", 0, KEY_READ,
                    key.out()) != ERROR_SUCCESS)
    return false;
  trace.print("  RegOpenKeyEx()");
  DWORD size = bufferSize - 1;  // one byte kept for the terminator a stored value may lack
  if (RegQueryValueExA(key.get(), "ProgramFilesDir", nullptr, nullptr, reinterpret_cast<BYTE *>(buffer),
                       &size) != ERROR_SUCCESS)
    return false;
  buffer[size] = '\0';
  return buffer[0] != '\0';
}

}  // namespace

SysInfSources RealSysInfSources() { return SysInfSources{SHGetSpecialFolderPathA, GetWindowsDirectoryA}; }

SysInfSources SetSysInfSources(const SysInfSources &replacement) {
  SysInfSources previous = sources();
  sources() = replacement;
  return previous;
}

bool SysInf::IsWinNT() {
  OSVERSIONINFOA version;
  std::memset(&version, 0, sizeof version);
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExA(&version)) {
    // GetVersion's top bit is set on the 95 family only.
    return (GetVersion() & 0x80000000u) == 0;
  }
  return version.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

const char *SysInf::GetProgramFilesPath() {
  trace.print("SysInf::GetProgramFilesPath()");
  char buffer[MAX_PATH + 2] = {};
  if (sources().specialFolderPath(nullptr, buffer, CSIDL_PROGRAM_FILES, FALSE)) {
    trace.print("  SHGetSpecialFolderPath()");
    programFilesText() = buffer;
    return programFilesText().c_str();
  }
  if (readProgramFilesDir(buffer, sizeof buffer)) {
    programFilesText() = buffer;
    return programFilesText().c_str();
  }
  trace.print("  決め打ち");
  std::memset(buffer, 0, sizeof buffer);
  UINT length = sources().windowsDirectory(buffer, MAX_PATH);
  // Without a Windows folder there is no better guess than the usual system drive.
  char letter = (length > 0 && length < MAX_PATH && buffer[0] != '\0') ? buffer[0] : 'C';
  programFilesText() = std::string(1, letter) + ":\\Program Files";
  return programFilesText().c_str();
}

bool SysInf::GetProgramsPath(bool allUsers, char *folder) {
  setupLog.print("--- GetProgramsPath()\n");
  if (folder != nullptr &&
      sources().specialFolderPath(nullptr, folder, allUsers ? CSIDL_COMMON_PROGRAMS : CSIDL_PROGRAMS, FALSE)) {
    setupLog.print("--- exit GetProgramsPath()\n");
    return true;
  }
  setupLog.print("--- failed: GetProgramsPath()\n");
  return false;
}

bool SysInf::GetDesktopPath(bool allUsers, char *folder) {
  if (folder == nullptr) return false;
  return sources().specialFolderPath(nullptr, folder,
                                     allUsers ? CSIDL_COMMON_DESKTOPDIRECTORY : CSIDL_DESKTOPDIRECTORY,
                                     FALSE) != FALSE;
}
