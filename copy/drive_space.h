#pragma once
// Queries about a destination before anything is copied: is the path usable, how much space is free.
#include <windows.h>

// Why checkDrivePath refused a path.
enum DrivePathReason : int {
  DRIVE_PATH_OK = 0,
  DRIVE_PATH_FORBIDDEN_CHAR = 1,  // / : * ? " < > | after the root
  DRIVE_PATH_NO_ROOT = 2,         // neither a drive letter root nor a network root
  DRIVE_PATH_UNSUITABLE = 3,      // the root's drive is neither a fixed nor a removable disk
};

// True when the path can be installed to. reason (may be null) is set to 0 first, and to one of
// the reasons above on failure. Shows nothing.
bool checkDrivePath(const char *path, int *reason = nullptr);

// Free space of the volume of the path's root in whole KB, cut to 32 bits. freeKB is set to 0 first.
// False for a path that does not start with a drive letter, an unusable path, or a failed query.
// Shows nothing.
bool getDiskFreeKB(const char *path, DWORD *freeKB);

// The two ways of asking, chosen by getDiskFreeKB from the system version; root is a drive root
// such as "C:\". Exposed so that each can be exercised on any system.
// GetDiskFreeSpaceExA, looked up at run time: the volume's whole free space, only the KB cut to 32 bits.
bool getDiskFreeKBByFreeSpaceEx(const char *root, DWORD *freeKB);
// GetDiskFreeSpaceA: sectors per cluster x bytes per sector x free clusters, multiplied in 32 bits.
bool getDiskFreeKBByFreeSpace(const char *root, DWORD *freeKB);
