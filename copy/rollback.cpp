#include <vector>

#include "copy/copy_job.h"
#include "copy/directories.h"

namespace {
// Byte positions of the entry's backslashes, from the last to the first, skipping the second bytes
// of double-byte characters and a backslash at the very start (the destination folder itself is
// never a candidate for removal).
std::vector<size_t> BackslashesFromLast(const std::string &entry) {
  std::vector<size_t> positions;
  const char *start = entry.c_str();
  for (const char *p = start; *p != '\0'; p = CharNextA(p))
    if (*p == '\\' && p != start) positions.insert(positions.begin(), static_cast<size_t>(p - start));
  return positions;
}
}  // namespace

bool CopyJob::rollback(const InstTypeInfo &type) {
  bool allDeleted = true;
  const std::string destination = destFolder_;
  size_t index = 0;
  for (const std::string &entry : type.entries) {
    // Entries the copy never reached, and whatever of the same name was there before, stay.
    if (index > currentIndex_) break;
    bool isCurrent = index == currentIndex_;
    if (isCurrent && !currentFolderMade_ && !currentCreated_) break;
    if (!isCurrent || currentCreated_) {
      if (!DeleteFileA(appendPath(destination, entry).c_str())) allDeleted = false;
    }
    // Folders that still hold anything stay.
    for (size_t position : BackslashesFromLast(entry))
      removeDirectory(appendPath(destination, entry.substr(0, position)).c_str());
    ++index;
  }
  return allDeleted;
}
