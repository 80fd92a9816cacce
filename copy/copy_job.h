#pragma once
// Copies the entries of one install type from the source folder to the destination folder, one file
// after another, driven by repeated step() calls from the dialog's thread. Asks for the other disc
// when a file is missing and both disc IDs are known.
#include <windows.h>

#include <cstddef>
#include <list>
#include <string>

#include "app/inst_type.h"
#include "copy/append_path.h"
#include "copy/copy_status.h"
#include "copy/file_copier.h"

class Reader;
class Writer;

// Size of the file in whole KB (rounded down); 0 when it cannot be opened with share mode 0.
DWORD getFileSizeKB(const char *path);

class CopyJob {
 public:
  static const DWORD kBlockSize = 16384;

  CopyJob();
  virtual ~CopyJob();
  CopyJob(const CopyJob &) = delete;
  CopyJob &operator=(const CopyJob &) = delete;

  // Takes a copy of type and the two folders (each ending in a backslash, at most 259 characters;
  // null keeps the folder held before), starts at the first entry, clears the copier. False, and
  // nothing changed, while the job is already running.
  bool prepare(const InstTypeInfo &type, const char *sourceFolder, const char *destFolder);
  // Starts the next entry or looks at the one being copied. Returns the status with the KB copied
  // so far in this job (0 with COPY_ALL_DONE, COPY_NOT_PREPARED and a failed open).
  // A step that has a file in progress waits up to 100 ms, less when the copy thread ends first
  // (or, with setWakeOnInput, when input for this thread arrives).
  IoResult step();
  // While running: the copy stops at the next step (true). Otherwise false.
  bool requestCancel();
  // Ends the job; a later prepare may start it again.
  void deactivate();
  // Asks for disc `which` (1 game, 0 data, 2 the one not in the drive) and checks driveLetter:\disc.id.
  // True when the wanted disc was inserted and recognised; false when the user cancelled or there is
  // no data disc ID. Holds no file open while it asks.
  bool requestDisc(char driveLetter, int which);
  // Gives dest the creation, access and write times of source.
  bool copyFileTimes(HANDLE source, HANDLE dest);
  // Gives dest the attributes of source without the read-only bit.
  bool copyAttributes(const char *source, const char *dest);
  // Sum of getFileSizeKB over the entries of type joined to sourceFolder (wraps modulo 2^32).
  DWORD sumEntrySizesKB(const char *sourceFolder, const InstTypeInfo &type);
  // Undoes this run's copy of type's entries in the destination folder: deletes the files of the
  // entries the copy reached (every entry before the current one, and the current one once its
  // destination file was created) and removes their folders that are left empty. Entries never
  // reached are not touched, nor is the destination folder itself. True when every file it tried to
  // delete was deleted.
  bool rollback(const InstTypeInfo &type);

  // The GameDiscID and DataDiscID values of inst.inf; an empty data disc ID means no disc swap.
  void setDiscIDs(const std::string &gameDiscID, const std::string &dataDiscID);
  // Which disc is in the drive: 1 game disc, 0 data disc.
  int currentDisc() const { return currentDisc_; }
  bool isRunning() const { return running_; }
  const char *sourceFolder() const { return sourceFolder_; }
  const char *destinationFolder() const { return destFolder_; }
  // true: the pause of step() also ends as soon as input for the calling thread waits, so that a
  // message pump calling step() stays responsive. Off by default.
  void setWakeOnInput(bool on) { wakeOnInput_ = on; }

 private:
  void pauseAfterLook(CopyStatus seen);
  void releaseFiles();

  Reader *reader_ = nullptr;
  Writer *writer_ = nullptr;
  FileCopier copier_;
  bool running_ = false;
  InstTypeInfo type_;
  std::list<std::string>::const_iterator current_;
  bool cancelRequest_ = false;
  DWORD blockSize_ = kBlockSize;
  char sourceFolder_[261] = {};
  char destFolder_[261] = {};
  int currentDisc_ = 1;
  std::string gameDiscID_;
  std::string dataDiscID_;

  // How far this run got, for rollback: the position of the current entry, whether its folder was
  // made and whether its destination file was created by this run.
  size_t currentIndex_ = 0;
  bool currentFolderMade_ = false;
  bool currentCreated_ = false;
  std::string sourcePath_;  // of the entry being copied
  std::string destPath_;
  DWORD fileStartTick_ = 0;
  bool wakeOnInput_ = false;
};
