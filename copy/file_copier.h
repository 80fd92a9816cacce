#pragma once
// Copies one file's bytes on a worker thread, block by block, while the dialog's thread polls.
// The two threads share three values only (the latest result, the KB counter and the cancel flag),
// each read and written as a whole, without a lock.
#include <windows.h>

#include <atomic>

#include "copy/copy_status.h"

class Reader;
class Writer;

// The latest result, published by the copy thread after each block: two separate values, so a
// reader may see them from two neighbouring blocks.
struct SharedResult {
  std::atomic<CopyStatus> status{COPY_WAITING};
  std::atomic<DWORD> count{0};  // KB total
};

// What the copier hands to its thread; the thread reads it once at its start.
struct CopyParams {
  SharedResult *result = nullptr;
  Reader *reader = nullptr;
  Writer *writer = nullptr;
  DWORD blockSize = 0;
  std::atomic<DWORD> *kbCounter = nullptr;
  std::atomic<bool> *cancelFlag = nullptr;
};

// The thread procedure: copies params->reader to params->writer and publishes each block's status.
unsigned __stdcall CopyThread(void *params);

class FileCopier {
 public:
  FileCopier() = default;
  // Neither stops nor waits for a running thread; only lets go of its handle.
  virtual ~FileCopier();
  FileCopier(const FileCopier &) = delete;
  FileCopier &operator=(const FileCopier &) = delete;

  // Forgets the last file's arguments, sets the KB counter to 0 and lowers the cancel flag.
  virtual void clear();
  // Starts a thread copying reader to writer in blocks of blockSize; the status becomes
  // COPY_WAITING. The cancel flag and the KB counter stay as they are. False when no thread started.
  virtual bool start(Reader *reader, Writer *writer, DWORD blockSize);
  // Raises the cancel flag; the thread stops after its current block. It stays raised until clear().
  virtual void cancel();
  // The latest status and KB total. Once the thread has ended, its handle is released and forgotten;
  // the copy returned is the one read before that check.
  virtual IoResult getResult();
  // True while a thread handle is known.
  virtual bool isRunning() const;

  // Waits at most timeoutMs for the known thread to end, and releases its handle when it did.
  // wakeMask non-zero (QS_ALLINPUT, say): the wait also ends when input for the calling thread
  // arrives or is already waiting. Returns at once when no thread is known.
  void waitForEnd(DWORD timeoutMs, DWORD wakeMask);

 private:
  void releaseThread();

  HANDLE thread_ = nullptr;
  unsigned threadId_ = 0xFFFFFFFFu;
  CopyParams params_;
  SharedResult result_;
  Reader *reader_ = nullptr;
  Writer *writer_ = nullptr;
  DWORD blockSize_ = 0;
  std::atomic<DWORD> kbCounter_{0};
  std::atomic<bool> cancel_{false};
};
