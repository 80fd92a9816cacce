#pragma once
// Questions about the system the installer runs on: the NT family, and the folders an installation
// writes to. Stateless apart from the one text in which GetProgramFilesPath keeps its answer.
#include <windows.h>

class SysInf {
 public:
  virtual ~SysInf() = default;

  // True on every system of the NT family, false on the 95 family whatever its version.
  static bool IsWinNT();

  // The Program Files folder, without a trailing backslash; never empty. The shell's answer first,
  // then the registry's ProgramFilesDir, then the Windows folder's drive letter + ":\Program Files".
  // The text is shared by the process and replaced by the next call: copy it to keep it.
  static const char *GetProgramFilesPath();

  // The start menu's Programs folder, of all users or of the current user, into a buffer of
  // MAX_PATH bytes, without a trailing backslash. On false the buffer must not be used.
  static bool GetProgramsPath(bool allUsers, char *folder);

  // The desktop folder, of all users or of the current user; same buffer rules as GetProgramsPath.
  static bool GetDesktopPath(bool allUsers, char *folder);
};
