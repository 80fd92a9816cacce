#include "copy/writer.h"

#include "config/setup_log.h"
#include "framework/prompt.h"

namespace {
const char kReadOnly[] =
    "インストール先にはすでに読み取り専用属性のファイルが存在します。このファイルを上書きしてインストールを続行しますか？\n"
    "インストールを中止するには「いいえ」を選んで下さい。\n\n　ファイル名：";
const char kReadOnlyCaption[] = "読み取り専用ファイルが存在します";
const char kFolder[] =
    "インストール先にはすでに同名のフォルダが存在します。\nインストールを続行できません。インストールを中断します\n\n　ファイル名：";
const char kFolderCaption[] = "同名のフォルダが存在します";
const char kSystem[] =
    "インストール先にはすでに同名のシステムファイルが存在します。\nインストールを続行できません。インストールを中断します\n\n　ファイル名：";
const char kSystemCaption[] = "同名のシステムファイルが存在します";
const char kWriteFailed[] =
    "ファイルの書き込みに失敗しました。キャンセルボタンでインストールを中断します\n\n　ファイル名：";
const char kWriteCaption[] = "ファイル書込エラー";

std::string Quoted(const char *text, const std::string &path) { return text + ("\"" + path + "\""); }
}  // namespace

Writer::Writer(std::string path, DWORD blockSize) : FileBase(path.c_str(), blockSize) {
  // One look at what is in the way; the checks below all use it, also after a deletion.
  DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & FILE_ATTRIBUTE_READONLY) {
      std::string message = Quoted(kReadOnly, path);
      if (ShowPrompt(nullptr, message.c_str(), kReadOnlyCaption, MB_YESNO | MB_ICONWARNING) != IDYES) return;
      SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      DeleteFileA(path.c_str());
    }
    if (attributes & FILE_ATTRIBUTE_DIRECTORY) {
      std::string message = Quoted(kFolder, path);
      ShowPrompt(nullptr, message.c_str(), kFolderCaption, MB_OK | MB_ICONERROR);
      return;
    }
    if (attributes & FILE_ATTRIBUTE_SYSTEM) {
      std::string message = Quoted(kSystem, path);
      ShowPrompt(nullptr, message.c_str(), kSystemCaption, MB_OK | MB_ICONERROR);
      return;
    }
  }
  // A file that is not there is made new rather than truncated: the file system writes a truncated
  // file out in full when it is closed, which would stall the dialog's thread for each large file.
  HANDLE file = INVALID_HANDLE_VALUE;
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (file == INVALID_HANDLE_VALUE) {
    file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  }
  if (file == INVALID_HANDLE_VALUE) {
    trace.print("Writer::Writer( %s ) failed.", path.c_str());
    return;
  }
  handle_ = file;
  SetFilePointer(handle_, 0, nullptr, FILE_BEGIN);
}

const char *Writer::getPath() const { return path_; }

IoResult Writer::write(const void *buffer, DWORD count) {
  if (handle_ == nullptr) return IoResult{COPY_WRITE_FAILED, 0};
  LONG high = 0;
  DWORD low = SetFilePointer(handle_, 0, &high, FILE_CURRENT);
  for (;;) {
    DWORD done = 0;
    // A write that stopped short (a full disk can do that) is a failure too: the file would lack data.
    if (WriteFile(handle_, buffer, count, &done, nullptr) && done == count) return IoResult{COPY_OK, 0};
    std::string message = Quoted(kWriteFailed, path_);
    if (ShowPrompt(nullptr, message.c_str(), kWriteCaption, MB_RETRYCANCEL | MB_ICONERROR) != IDRETRY)
      return IoResult{COPY_WRITE_FAILED, 0};
    // Back to the start of the failed block: what a failed write left is written over.
    LONG restoreHigh = high;
    SetFilePointer(handle_, static_cast<LONG>(low), &restoreHigh, FILE_BEGIN);
  }
}
