#pragma once
// Folder creation with every missing folder above it, and removal of an empty folder.

// Creates `folder` and every missing folder on its way; true when the folder exists at the end.
// deepestExisting (may be null) receives the folder itself when it already existed, otherwise the
// deepest folder on its way that existed before the call (the root when not even the root exists);
// it must hold a path as long as `folder`. A failure shows its own message (no owner window) and
// leaves the folders created so far in place.
bool makeDirectory(const char *folder, char *deepestExisting /* may be null */);

// Removes the folder if it is empty; anything else leaves it alone. Always returns true.
bool removeDirectory(const char *folder);
