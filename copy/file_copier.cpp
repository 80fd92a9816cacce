#include "copy/file_copier.h"

#include <new>

#include "config/setup_log.h"
#include "copy/copy_seams.h"
#include "copy/reader.h"
#include "copy/writer.h"

unsigned __stdcall CopyThread(void *argument) {
  trace.print("FileCopier::CopyThread() : 同期コピースレッド");
  const CopyParams params = *static_cast<const CopyParams *>(argument);
  if (params.result == nullptr || params.reader == nullptr || params.writer == nullptr || params.blockSize == 0 ||
      params.kbCounter == nullptr || params.cancelFlag == nullptr) {
    trace.print("FileCopier::CopyThread : パラメータ異常");
    return 0;
  }
  char *buffer = new (std::nothrow) char[params.blockSize];
  if (buffer == nullptr) {
    // Without a buffer the file cannot be copied; stop it like a cancel so that nobody waits for ever.
    trace.print("FileCopier::CopyThread : バッファを確保できませんでした");
    params.result->status.store(COPY_CANCELED);
    return 0;
  }
  if (params.cancelFlag->load()) {
    params.result->status.store(COPY_CANCELED);
    delete[] buffer;
    return 0;
  }
  for (;;) {
    IoResult read = params.reader->read(buffer);
    IoResult written = params.writer->write(buffer, read.count);
    CopyStatus status = read.status;
    if (read.status == COPY_READ_FAILED) {
      status = COPY_READ_FAILED;
    } else if (written.status == COPY_WRITE_FAILED) {
      status = COPY_WRITE_FAILED;
    }
    // Written by this thread only; whole KB of this block.
    DWORD kb = params.kbCounter->load() + (read.count >> 10);
    params.kbCounter->store(kb);
    params.result->status.store(status);
    params.result->count.store(kb);
    if (status == COPY_FILE_DONE || status == COPY_READ_FAILED || status == COPY_WRITE_FAILED) {
      trace.print("FileCopier::CopyThread : コピー完了");
      break;
    }
    if (params.cancelFlag->load()) {
      params.result->status.store(COPY_CANCELED);
      break;
    }
  }
  delete[] buffer;
  return 0;
}

FileCopier::~FileCopier() { releaseThread(); }

void FileCopier::releaseThread() {
  if (thread_ != nullptr) CloseHandle(thread_);
  thread_ = nullptr;
}

void FileCopier::clear() {
  reader_ = nullptr;
  writer_ = nullptr;
  blockSize_ = 0;
  kbCounter_.store(0);
  cancel_.store(false);
}

bool FileCopier::start(Reader *reader, Writer *writer, DWORD blockSize) {
  reader_ = reader;
  writer_ = writer;
  blockSize_ = blockSize;
  params_.result = &result_;
  params_.reader = reader;
  params_.writer = writer;
  params_.blockSize = blockSize;
  params_.kbCounter = &kbCounter_;
  params_.cancelFlag = &cancel_;
  result_.status.store(COPY_WAITING);
  // The previous file's thread may have published its end without having been seen to exit yet.
  releaseThread();
  unsigned id = 0;
  uintptr_t handle = g_beginThreadRoutine.load()(nullptr, 0, &CopyThread, &params_, 0, &id);
  if (handle == 0) {
    threadId_ = 0xFFFFFFFFu;
    return false;
  }
  thread_ = reinterpret_cast<HANDLE>(handle);
  threadId_ = id;
  return true;
}

void FileCopier::cancel() { cancel_.store(true); }

IoResult FileCopier::getResult() {
  IoResult seen;
  seen.status = result_.status.load();
  seen.count = result_.count.load();
  if (thread_ != nullptr) {
    DWORD code = 0;
    if (GetExitCodeThread(thread_, &code) && code != STILL_ACTIVE) releaseThread();
  }
  return seen;
}

bool FileCopier::isRunning() const { return thread_ != nullptr; }

void FileCopier::waitForEnd(DWORD timeoutMs, DWORD wakeMask) {
  if (thread_ == nullptr) return;
  DWORD outcome;
  if (wakeMask == 0) {
    outcome = WaitForSingleObject(thread_, timeoutMs);
  } else {
    // Input already in the queue ends the pause at once; new input ends it when it arrives.
    if (HIWORD(GetQueueStatus(wakeMask)) != 0) return;
    outcome = MsgWaitForMultipleObjects(1, &thread_, FALSE, timeoutMs, wakeMask);
  }
  if (outcome == WAIT_OBJECT_0) releaseThread();
}
