#pragma once
// The destination file of one copy. A read-only, folder or system file in the way is put to the
// user; a failed create shows nothing. write() asks Retry/Cancel on the thread that calls it.
#include <string>

#include "copy/copy_status.h"
#include "copy/file_base.h"

class Writer : public FileBase {
 public:
  // Creates (or truncates) path with share mode 0 after the checks above. Success: getHandle() is not null.
  Writer(std::string path, DWORD blockSize);
  ~Writer() override = default;

  const char *getPath() const override;
  // Writes count bytes of buffer: COPY_OK (count 0), or COPY_WRITE_FAILED when it failed (or wrote
  // fewer bytes than asked) and the user gave up. Retry writes the failed block again at the same place.
  virtual IoResult write(const void *buffer, DWORD count);
};
