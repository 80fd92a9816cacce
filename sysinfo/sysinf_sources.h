#pragma once
// The shell and Windows-folder answers SysInf builds on, replaceable so that the fallbacks of
// GetProgramFilesPath can be shown on a system whose shell always answers.
#include <windows.h>

struct SysInfSources {
  BOOL(WINAPI *specialFolderPath)(HWND owner, LPSTR path, int csidl, BOOL create);
  UINT(WINAPI *windowsDirectory)(LPSTR buffer, UINT size);
};

// The real system functions.
SysInfSources RealSysInfSources();
// Replaces the sources and returns the ones replaced.
SysInfSources SetSysInfSources(const SysInfSources &sources);
