#include "copy/copy_job.h"

DWORD getFileSizeKB(const char *path) {
  HANDLE file = CreateFileA(path, GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return 0;
  DWORD high = 0;
  DWORD low = GetFileSize(file, &high);
  DWORD error = GetLastError();
  CloseHandle(file);
  if (low == INVALID_FILE_SIZE && error != NO_ERROR) return 0;
  return (high << 22) + (low >> 10);
}

DWORD CopyJob::sumEntrySizesKB(const char *sourceFolder, const InstTypeInfo &type) {
  std::string folder = sourceFolder != nullptr ? sourceFolder : "";
  DWORD total = 0;
  for (const std::string &entry : type.entries) total += getFileSizeKB(appendPath(folder, entry).c_str());
  return total;
}

bool CopyJob::copyFileTimes(HANDLE source, HANDLE dest) {
  FILETIME created, accessed, written;
  if (!GetFileTime(source, &created, &accessed, &written)) return false;
  return SetFileTime(dest, &created, &accessed, &written) != FALSE;
}

bool CopyJob::copyAttributes(const char *source, const char *dest) {
  DWORD attributes = GetFileAttributesA(source);
  if (attributes == INVALID_FILE_ATTRIBUTES) return false;
  // A file from a read-only disc must stay writable where it is installed.
  attributes &= ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY);
  return SetFileAttributesA(dest, attributes) != FALSE;
}
