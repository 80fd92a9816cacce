#pragma once
// The source file of one copy. Opening puts every failure the user can act on to the user
// (Retry/Cancel); read() does the same for a failed read, on the thread that calls it.
#include <string>

#include "copy/copy_status.h"
#include "copy/file_base.h"

class Reader : public FileBase {
 public:
  // Opens path for reading with share mode 0. reportMissing false: a missing file fails silently,
  // so that the caller can ask for another disc. Success: getHandle() is not null.
  Reader(std::string path, DWORD blockSize, bool reportMissing);
  ~Reader() override = default;

  const char *getPath() const override;
  // Reads one block into buffer (at least block size bytes): COPY_OK with the block size,
  // COPY_FILE_DONE with fewer bytes (the last block, possibly empty), or COPY_READ_FAILED with 0
  // when a read failed and the user gave up. Retry reads the failed block again.
  virtual IoResult read(void *buffer);

 protected:
  bool reportMissing_;

 private:
  bool open(const std::string &path);
};
