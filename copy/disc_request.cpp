#include <cstdio>
#include <cstring>
#include <string>

#include "copy/copy_job.h"
#include "framework/prompt.h"

namespace {
const char kCaption[] = "ディスク入れ替え";

// Keeps a probe of a drive without a medium from raising the system's own error box.
class QuietDriveErrors {
 public:
  QuietDriveErrors() : previous_(SetErrorMode(SEM_FAILCRITICALERRORS)) { SetErrorMode(previous_ | SEM_FAILCRITICALERRORS); }
  virtual ~QuietDriveErrors() { SetErrorMode(previous_); }
  QuietDriveErrors(const QuietDriveErrors &) = delete;
  QuietDriveErrors &operator=(const QuietDriveErrors &) = delete;

 private:
  UINT previous_;
};

// True when driveLetter:\disc.id opens and its first line, line break included, is exactly id.
// The file is closed again before this returns.
bool DiscHasID(char driveLetter, const std::string &id) {
  char path[] = "?:\\disc.id";
  path[0] = driveLetter;
  QuietDriveErrors quiet;
  FILE *file = std::fopen(path, "r");
  if (file == nullptr) return false;
  char line[256] = {};
  bool read = std::fgets(line, 255, file) != nullptr;  // at most 254 characters
  std::fclose(file);
  // An unreadable or empty file matches nothing, not even an empty ID.
  return read && std::strlen(line) == id.size() && id.compare(line) == 0;
}
}  // namespace

bool CopyJob::requestDisc(char driveLetter, int which) {
  if (dataDiscID_.empty()) return false;
  if (which == 2) which = currentDisc_ == 0 ? 1 : 0;
  const std::string &id = which == 1 ? gameDiscID_ : dataDiscID_;
  std::string message = std::string("ＣＤ－ＲＯＭドライブに") + (which == 1 ? "ゲームディスク" : "データディスク") +
                        "を挿入してください";
  ShowPrompt(nullptr, message.c_str(), kCaption, MB_OK | MB_ICONINFORMATION);
  for (;;) {
    if (DiscHasID(driveLetter, id)) {
      currentDisc_ = which;
      return true;
    }
    if (ShowPrompt(nullptr, message.c_str(), kCaption, MB_OKCANCEL | MB_ICONINFORMATION) != IDOK) return false;
  }
}
