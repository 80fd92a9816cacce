// The destination check of the start button: the folder's length, its existence (created when the user
// agrees), the write rights, and the preparation of the copy job with its totals.
#include <windows.h>
#include <shlwapi.h>

#include <cstring>
#include <string>

#include "app/inst_settings.h"
#include "copy/directories.h"
#include "sysinfo/access_rights.h"

int InstSettings::checkInstDir(const InstTypeInfo &type, const char *src, const char *dest) {
  const std::string folder = dest;
  const size_t folderLength = folder.size();
  // Every destination path (folder, entry, one separator and the terminator) must fit a path buffer, and so
  // must the folder itself, which the copy job keeps in one.
  bool tooLong = folderLength + 1 > MAX_PATH;
  for (const std::string &entry : type.entries) {
    if (entry.size() + folderLength + 2 > MAX_PATH) tooLong = true;
    if (tooLong) break;
  }
  if (tooLong) {
    std::string text = "インストール先フォルダ\"" + folder +
                       "\"\nが長すぎるため、インストールできません。インストール先を変更してください。";
    showMessage(text.c_str(), "フォルダ名が長すぎます", MB_OK | MB_ICONERROR);
    return INSTDIR_ERROR;
  }

  additive = inf.get("AdditiveInstall", 0) == "enable";

  if (!PathIsDirectoryA(dest)) {
    if (additive) return INSTDIR_ERROR;
    std::string text = "指定されたフォルダ" + folder + "は存在しません。作成しますか？";
    if (showMessage(text.c_str(), "確認", MB_YESNO | MB_ICONQUESTION) != IDYES) return INSTDIR_DECLINED;
    if (!makeDirectory(dest, nullptr)) return INSTDIR_ERROR;
  } else {
    if (!CheckFolderRights(dest)) {
      std::string text = "現在のユーザは指定されたフォルダ\"" + folder +
                         "\"への書き込み権限がありません。別のフォルダを指定してください。";
      showMessage(text.c_str(), "セキュリティ警告", MB_OK | MB_ICONINFORMATION);
      return INSTDIR_ERROR;
    }
    if (!additive) {
      std::string text = "指定されたフォルダ\"" + folder +
                         "\"は既に存在します。\nこのフォルダにインストールした場合、このフォルダに含まれるファイル"
                         "が上書きされる恐れがあります。続行しますか？";
      if (showMessage(text.c_str(), "確認", MB_YESNO | MB_ICONQUESTION) != IDYES) return INSTDIR_DECLINED;
    }
  }

  if (prepared) return INSTDIR_OK;
  prepared = copyJob.prepare(type, src, dest);
  int discKB = 0;
  inf.getInt("DataDiscSize", selectedTypeIndex, discKB);
  totalKB = static_cast<DWORD>(discKB) + copyJob.sumEntrySizesKB(src, type);
  copiedKB = 0;
  chosenType = type;
  programGroupFolder.clear();
  desktopShortcutPath.clear();
  return INSTDIR_OK;
}
