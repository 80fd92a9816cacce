#include "copy/copy_job.h"

#include "config/setup_log.h"
#include "copy/directories.h"
#include "copy/reader.h"
#include "copy/writer.h"

namespace {
const DWORD kPauseMs = 100;

// The text up to its last backslash (a double-byte character's second byte does not count);
// empty when it has none.
std::string FolderOf(const std::string &path) {
  const char *start = path.c_str();
  const char *lastSlash = nullptr;
  for (const char *p = start; *p != '\0'; p = CharNextA(p))
    if (*p == '\\') lastSlash = p;
  return lastSlash == nullptr ? std::string() : std::string(start, lastSlash);
}
}  // namespace

CopyJob::CopyJob() : current_(type_.entries.end()) { copier_.clear(); }

CopyJob::~CopyJob() {
  copier_.getResult();
  if (copier_.isRunning()) {
    // The thread still uses the two files: stop it, and leave them to it rather than pull them away.
    copier_.cancel();
    reader_ = nullptr;
    writer_ = nullptr;
  }
  releaseFiles();
}

void CopyJob::releaseFiles() {
  delete reader_;
  delete writer_;
  reader_ = nullptr;
  writer_ = nullptr;
}

void CopyJob::setDiscIDs(const std::string &gameDiscID, const std::string &dataDiscID) {
  gameDiscID_ = gameDiscID;
  dataDiscID_ = dataDiscID;
}

bool CopyJob::prepare(const InstTypeInfo &type, const char *sourceFolder, const char *destFolder) {
  if (running_) return false;
  type_ = type;
  current_ = type_.entries.begin();
  if (sourceFolder != nullptr) lstrcpynA(sourceFolder_, sourceFolder, 260);
  if (destFolder != nullptr) lstrcpynA(destFolder_, destFolder, 260);
  running_ = true;
  cancelRequest_ = false;
  copier_.clear();
  currentIndex_ = 0;
  currentFolderMade_ = false;
  currentCreated_ = false;
  return true;
}

bool CopyJob::requestCancel() {
  if (!running_) return false;
  cancelRequest_ = true;
  return true;
}

void CopyJob::deactivate() { running_ = false; }

IoResult CopyJob::step() {
  if (!running_) return IoResult{COPY_NOT_PREPARED, 0};
  if (cancelRequest_) copier_.cancel();
  // Without both IDs no disc swap is possible, so a missing file is put to the user at once.
  bool reportMissing = gameDiscID_.empty() || dataDiscID_.empty();

  if (reader_ == nullptr) {
    if (current_ == type_.entries.end()) return IoResult{COPY_ALL_DONE, 0};
    const std::string &entry = *current_;
    trace.print("new file : %s", entry.c_str());
    sourcePath_ = appendPath(std::string(sourceFolder_), entry);
    reader_ = new Reader(sourcePath_, blockSize_, reportMissing);
    trace.print("#404080reader : %s", sourcePath_.c_str());
    if (reader_->getHandle() == nullptr) {
      // Nothing of this disc is held open while the other one is asked for.
      releaseFiles();
      if (requestDisc(sourcePath_.empty() ? '\0' : sourcePath_[0], 2))
        reader_ = new Reader(sourcePath_, blockSize_, reportMissing);
    }
    if (reader_ == nullptr || reader_->getHandle() == nullptr) {
      releaseFiles();
      return IoResult{COPY_CANCELED, 0};
    }

    destPath_ = appendPath(std::string(destFolder_), entry);
    std::string folder = FolderOf(destPath_);
    if (!folder.empty()) {
      // A folder that cannot be made shows its own message; the Writer then fails below.
      makeDirectory(folder.c_str(), nullptr);
      currentFolderMade_ = true;
      trace.print("#404080makedir : %s", folder.c_str());
    }
    writer_ = new Writer(destPath_, blockSize_);
    trace.print("#404080writer: %s", destPath_.c_str());
    if (writer_->getHandle() == nullptr) {
      releaseFiles();
      return IoResult{COPY_CANCELED, 0};
    }
    currentCreated_ = true;
    if (!copier_.start(reader_, writer_, blockSize_)) {
      // No thread will ever report on this file: stop here as for a file that could not be opened,
      // leaving the empty destination to the rollback.
      trace.print("FileCopier::start failed : %s", destPath_.c_str());
      releaseFiles();
      return IoResult{COPY_CANCELED, copier_.getResult().count};
    }
    fileStartTick_ = GetTickCount();
  }

  // The decision uses the result read before the pause.
  IoResult seen = copier_.getResult();
  pauseAfterLook(seen.status);
  switch (seen.status) {
    case COPY_CANCELED:
      releaseFiles();
      return seen;
    case COPY_FILE_DONE:
    case COPY_READ_FAILED:
    case COPY_WRITE_FAILED:
      if (seen.status == COPY_FILE_DONE) {
        copyFileTimes(reader_->getHandle(), writer_->getHandle());
        trace.print("コピー完了：%d[sec]", static_cast<int>((GetTickCount() - fileStartTick_) / 1000));
      }
      releaseFiles();
      if (seen.status == COPY_FILE_DONE) copyAttributes(sourcePath_.c_str(), destPath_.c_str());
      ++current_;
      ++currentIndex_;
      currentFolderMade_ = false;
      currentCreated_ = false;
      return seen;
    default:
      return seen;
  }
}

void CopyJob::pauseAfterLook(CopyStatus seen) {
  DWORD wakeMask = wakeOnInput_ ? QS_ALLINPUT : 0;
  if (copier_.isRunning()) {
    // Ends as soon as the thread does, so a finished file costs no full pause.
    copier_.waitForEnd(kPauseMs, wakeMask);
    return;
  }
  if (IsFinalCopyStatus(seen)) return;
  if (wakeMask == 0) {
    Sleep(kPauseMs);
  } else if (HIWORD(GetQueueStatus(wakeMask)) == 0) {
    MsgWaitForMultipleObjects(0, nullptr, FALSE, kPauseMs, wakeMask);
  }
}
