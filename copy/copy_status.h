#pragma once
// Status codes shared by the whole copy engine, and the pair of a status and a count that its
// transfer operations return.
#include <windows.h>

#include <cstdint>

enum CopyStatus : int32_t {
  COPY_WAITING = 0,       // the copy thread has reported nothing yet for the current file
  COPY_OK = 1,            // a block was transferred; copying goes on
  COPY_ALL_DONE = 2,      // every entry of the job's list has been handled
  COPY_NOT_PREPARED = 4,  // the copy job (or the settings object) has not been prepared
  COPY_CANCELED = 5,      // the user cancelled, a file failed to open or be created, or no disc was supplied
  COPY_FILE_DONE = 6,     // the end of the source file was reached; the file is complete
  COPY_READ_FAILED = 7,   // a read failed and the user chose Cancel
  COPY_WRITE_FAILED = 8,  // a write failed and the user chose Cancel
};

struct IoResult {
  CopyStatus status = COPY_WAITING;
  DWORD count = 0;  // bytes for a read, 0 for a write and every failure; KB for the copier and the job
};

// True for the statuses after which the copy thread touches its files no more.
inline bool IsFinalCopyStatus(CopyStatus status) {
  return status == COPY_FILE_DONE || status == COPY_READ_FAILED || status == COPY_WRITE_FAILED ||
         status == COPY_CANCELED;
}
