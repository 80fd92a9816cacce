#include "copy/directories.h"

#include <windows.h>
#include <shlwapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "config/setup_log.h"
#include "framework/prompt.h"

namespace {

using PathBuffer = std::vector<char>;

PathBuffer bufferOf(const char *path) { return PathBuffer(path, path + std::strlen(path) + 1); }

void showFailure(const char *folder, const char *deepestExisting) {
  std::string text = std::string("フォルダ\"") + folder + "\"の作成に失敗しました。\nフォルダ\"" + deepestExisting +
                     "\"への書き込みが出来ません。";
  ShowPrompt(nullptr, text.c_str(), "フォルダが作成できませんでした", MB_OK | MB_ICONERROR);
}

// Walks up from the folder to the deepest folder that exists, or to the root when not even the
// root exists. `walked` ends as that folder; `missing` as the folder just below it, the next to create.
void walkToExisting(const char *folder, PathBuffer &walked, PathBuffer &missing) {
  walked = bufferOf(folder);
  PathRemoveBackslashA(walked.data());
  missing = walked;
  while (!PathIsDirectoryA(walked.data())) {
    missing = walked;
    if (!PathRemoveFileSpecA(walked.data())) break;
  }
}

}  // namespace

bool makeDirectory(const char *folder, char *deepestExisting) {
  if (folder == nullptr) return false;
  if (PathIsDirectoryA(folder)) {
    if (deepestExisting != nullptr) std::memcpy(deepestExisting, folder, std::strlen(folder) + 1);
    return true;
  }
  bool firstPass = true;
  for (;;) {
    PathBuffer walked;
    PathBuffer missing;
    walkToExisting(folder, walked, missing);
    if (firstPass && deepestExisting != nullptr) {
      // A prefix of the folder, so it fits wherever the folder does.
      std::memcpy(deepestExisting, walked.data(), std::strlen(walked.data()) + 1);
    }
    firstPass = false;
    // A folder the system reports as made but that still does not exist (a name it rewrites) would
    // otherwise be made again and again.
    if (!CreateDirectoryA(missing.data(), nullptr) || !PathIsDirectoryA(missing.data())) {
      showFailure(folder, walked.data());
      return false;
    }
    if (PathIsDirectoryA(folder)) return true;
  }
}

bool removeDirectory(const char *folder) {
  if (folder == nullptr) return true;
  trace.print("#806000removeDirectory( \"%s\" )", folder);
  RemoveDirectoryA(folder);
  return true;
}
