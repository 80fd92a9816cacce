#pragma once
// One shortcut file (.lnk) made through the shell's link object.

// Writes the shortcut file linkPath pointing at target. arguments and iconPath may be null (none).
// True when the link object and its file interface could be had; whether the file was saved is not
// reported (its absence shows it). Enters and leaves the component system itself, so any thread may call it.
bool MakeShortCut(const char *linkPath, const char *target, const char *description, const char *arguments,
                  const char *workingFolder, const char *iconPath, int iconIndex, int showCommand);
