#include "copy/reader.h"

#include "config/setup_log.h"
#include "copy/copy_seams.h"
#include "framework/prompt.h"

namespace {
const char kOpenCaption[] = "ファイルが開けませんでした";
const char kNotFound[] =
    "コピー元のファイルが見つかりませんでした。キャンセルボタンを押すとインストールを中止します\n\n　ファイル名：";
const char kInUse[] =
    "コピー元のファイルを開けませんでした。ファイルはすでに他のアプリケーションによって開かれています。"
    "キャンセルボタンを押すとインストールを中止します\n\n　ファイル名：";
const char kCannotOpen[] =
    "コピー元のファイルを開けませんでした。キャンセルボタンを押すとインストールを中止します\n\n　ファイル名：";
const char kReadFailed[] =
    "ファイルの読み込みに失敗しました。キャンセルボタンでインストールを中断します\n\n　ファイル名：";
const char kReadCaption[] = "ファイル読込エラー";

std::string Quoted(const char *text, const std::string &path) { return text + ("\"" + path + "\""); }
}  // namespace

Reader::Reader(std::string path, DWORD blockSize, bool reportMissing)
    : FileBase(path.c_str(), blockSize), reportMissing_(reportMissing) {
  if (open(path)) return;
  DWORD error = GetLastError();
  trace.print("Reader::Reader( %s ) failed. [0x%X]", path.c_str(), static_cast<unsigned>(error));
  for (;;) {
    const char *text;
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
      if (!reportMissing_) return;
      text = kNotFound;
    } else {
      text = error == ERROR_SHARING_VIOLATION ? kInUse : kCannotOpen;
    }
    std::string message = Quoted(text, path);
    if (ShowPrompt(nullptr, message.c_str(), kOpenCaption, MB_RETRYCANCEL | MB_ICONERROR) != IDRETRY) return;
    if (open(path)) return;
    error = GetLastError();
  }
}

bool Reader::open(const std::string &path) {
  // Share mode 0: nothing else may change the file while it is copied.
  HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  handle_ = file;
  SetFilePointer(handle_, 0, nullptr, FILE_BEGIN);
  return true;
}

const char *Reader::getPath() const { return path_; }

IoResult Reader::read(void *buffer) {
  if (handle_ == nullptr) return IoResult{COPY_READ_FAILED, 0};
  LONG high = 0;
  DWORD low = SetFilePointer(handle_, 0, &high, FILE_CURRENT);
  for (;;) {
    DWORD done = 0;
    if (g_readFileRoutine.load()(handle_, buffer, blockSize_, &done, nullptr))
      return IoResult{done == blockSize_ ? COPY_OK : COPY_FILE_DONE, done};
    std::string message = Quoted(kReadFailed, path_);
    if (ShowPrompt(nullptr, message.c_str(), kReadCaption, MB_RETRYCANCEL | MB_ICONERROR) != IDRETRY)
      return IoResult{COPY_READ_FAILED, 0};
    // Back to the start of the failed block: a partial read must not skip data.
    LONG restoreHigh = high;
    SetFilePointer(handle_, static_cast<LONG>(low), &restoreHigh, FILE_BEGIN);
  }
}
