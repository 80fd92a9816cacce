// The start-up of the main dialog: single instance, command line, rights, inst.inf, the existing
// installation, the destination and the lists of drives and install types.
#include <windows.h>
#include <shlwapi.h>

#include <cctype>
#include <string>

#include "app/inst_dlg.h"
#include "app/inst_ids.h"
#include "app/path_text.h"
#include "config/reg_ctrl.h"
#include "copy/append_path.h"
#include "framework/win_app.h"
#include "sysinfo/access_rights.h"
#include "sysinfo/sysinf.h"

namespace {
const char kMutexName[] = "velk_inst";

// Upper-case drive letter that begins text, or 0 when it does not begin with an ASCII letter.
char driveLetterOf(const std::string &text) {
  if (text.empty()) return 0;
  unsigned char c = static_cast<unsigned char>(text[0]);
  if (c >= 0x80 || !std::isalpha(c)) return 0;
  return static_cast<char>(std::toupper(c));
}

bool startProgram(const std::string &path) {
  if (path.size() >= MAX_PATH) return false;
  STARTUPINFOA startup = {};
  startup.cb = sizeof(startup);
  PROCESS_INFORMATION process = {};
  if (!CreateProcessA(path.c_str(), nullptr, nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}
}  // namespace

bool CInstDlg::OnInitDialog() {
  Dialog::OnInitDialog();
  SetIcon(icon, true);
  SetIcon(icon, false);
  progressText.ShowWindow(SW_HIDE);

  mutex = CreateMutexA(nullptr, TRUE, kMutexName);
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    // Another installer runs: leave without a word.
    EndDialog(IDCANCEL);
    return false;
  }

  sourceFolder = getExeFolder("");
  int argc = AppArgCount();
  char **argv = AppArgs();
  if (argc >= 2 && argv[1] != nullptr && lstrcmpiA(PathFindExtensionA(argv[1]), ".exe") == 0) {
    returnProgram = argv[1];
  }
  if (argc >= 3 && argv[2] != nullptr) sourceFolder = argv[2];

  if (!CheckInstallRights()) {
    MessageBox("現在のユーザはインストールに必要な権限をもっていません。別のユーザでログオンするか、管理者にお問い合わせ"
               "ください",
               "権限が足りません", MB_OK | MB_ICONERROR);
    EndDialog(IDCANCEL);
    cancelInst();
    return true;
  }

  int loaded = settings.loadInstInf(getSourcePath("inst.inf").c_str(), instTypes);
  if (loaded != 0) {
    if (loaded == 3) {
      MessageBox("設定ファイルが読めませんでした。インストールを中断します", "初期化エラー", MB_OK | MB_ICONERROR);
    }
    EndDialog(IDCANCEL);
    cancelInst();
    return true;
  }

  const InfCtrl &inf = settings.inf;
  const std::string appNameW = inf.get("AppNameW", 0);
  const std::string venderName = inf.get("VenderName", 0);
  const std::string appName = inf.get("AppName", 0);
  SetWindowText((appNameW + " インストーラー").c_str());

  const std::string image = inf.get("Image", 0);
  if (!image.empty()) {
    std::string imagePath = getSourcePath(image.c_str());
    if (imagePath.size() < MAX_PATH) {
      HANDLE loadedImage = LoadImageA(nullptr, imagePath.c_str(), IMAGE_BITMAP, 0, 0,
                                      LR_LOADFROMFILE | LR_CREATEDIBSECTION);
      if (loadedImage != nullptr) {
        pictureBitmap = static_cast<HBITMAP>(loadedImage);
        picture.SetBitmap(pictureBitmap);
      }
    }
  }

  const std::string defaultFolder =
      appendPath(SysInf::GetProgramFilesPath(), venderName + "\\" + appName + "\\");
  programGroup = venderName + "\\" + appNameW;

  if (inf.get("AdditiveInstall", 0) == "enable") {
    additive = true;
    folderEdit.EnableWindow(false);
    driveCombo.EnableWindow(false);
    browseButton.EnableWindow(false);
  }

  std::string installed;
  std::string productKey = "SOFTWARE\\" + venderName + "\\" + appName;
  if (productKey.size() < MAX_PATH) {
    RegCtrl product;
    if (product.open(productKey.c_str(), MODE_READ, HKEY_LOCAL_MACHINE)) product.get("setup_data", installed);
    product.close(false);
  }

  std::string initialFolder;
  if (installed.empty()) {
    if (additive) {
      MessageBox("追加インストールを行おうとしましたが、追加先アプリケーションのインストールを確認できませんでした。OKボタン"
                 "を押すと終了します。",
                 "追加インストールエラー", MB_OK | MB_ICONERROR);
      EndDialog(IDCANCEL);
      cancelInst();
      return true;
    }
    initialFolder = defaultFolder;
  } else if (!inf.get("LaunchIfInst", 0).empty()) {
    if (launchInstalledProgram(installed)) {
      EndDialog(IDCANCEL);
      cancelInst();
      return true;
    }
    std::string text = "このコンピューターには「" + appNameW +
                       "」のインストール情報が含まれていますが、既にファイルが存在していないか移動されました。\n"
                       "インストールを続行しますか？";
    if (MessageBox(text.c_str(), "確認", MB_YESNO | MB_ICONERROR) == IDNO) {
      EndDialog(IDCANCEL);
      cancelInst();
      return true;
    }
    initialFolder = defaultFolder;
  } else if (additive) {
    initialFolder = installed;
    if (!checkAdditiveRequirements(installed)) {
      MessageBox("追加インストールに必要なファイルがコンピュータに見つかりませんでした。\n先にインストールされているゲーム"
                 "のバージョンと、ダウンロードしたファイルのバージョンを確認してください。",
                 "追加インストール警告", MB_OK | MB_ICONERROR);
      EndDialog(IDCANCEL);
      cancelInst();
      return true;
    }
  } else {
    std::string text = "このコンピューターには既に「" + appNameW + "」のインストール情報が含まれています。\n"
                       "インストールを続行しますか？";
    if (MessageBox(text.c_str(), "確認", MB_YESNO | MB_ICONERROR) == IDNO) {
      EndDialog(IDCANCEL);
      cancelInst();
      return true;
    }
    initialFolder = installed;
  }

  folderEdit.SetWindowText(initialFolder.c_str());
  fillDriveTable(defaultFolder, initialFolder);

  for (const InstTypeInfo &type : instTypes.types) typeCombo.AddString(type.name.c_str());
  if (instTypes.types.size() == 1) {
    ::ShowWindow(GetDlgItem(IDC_TYPE_GROUP), SW_HIDE);
    descriptionEdit.ShowWindow(SW_HIDE);
    typeCombo.ShowWindow(SW_HIDE);
  }
  typeCombo.SetCurSel(0);
  OnSelchangeTypecombo();

  phase = PHASE_SETUP;
  return true;
}

bool CInstDlg::launchInstalledProgram(const std::string &installedFolder) {
  // The program is the first entry of the first install type; without a type there is nothing to start.
  if (instTypes.types.empty()) return false;
  const std::string &firstType = instTypes.types.front().name;
  return startProgram(installedFolder + settings.inf.get(firstType.c_str(), 0));
}

bool CInstDlg::checkAdditiveRequirements(const std::string &installedFolder) const {
  bool allPresent = true;
  int count = settings.inf.count("AdditiveRequire");
  for (int i = 0; i < count; ++i) {
    std::string required = installedFolder + settings.inf.get("AdditiveRequire", i);
    if (required.size() >= MAX_PATH || !PathIsDirectoryA(required.c_str())) allPresent = false;
  }
  return allPresent;
}

void CInstDlg::fillDriveTable(const std::string &defaultFolder, const std::string &initialFolder) {
  const char programFilesDrive = driveLetterOf(SysInf::GetProgramFilesPath());
  const char initialDrive = driveLetterOf(initialFolder);
  const std::string tail = ":\\" + settings.inf.get("VenderName", 0) + "\\" + settings.inf.get("AppName", 0) + "\\";
  for (char letter = 'A'; letter <= 'Z'; ++letter) {
    driveFolders[letter - 'A'] = letter == programFilesDrive ? defaultFolder : std::string(1, letter) + tail;
    char root[] = {letter, ':', '\\', '\0'};
    if (GetDriveTypeA(root) == DRIVE_FIXED) {
      char name[] = {letter, '\0'};
      int index = driveCombo.AddString(name);
      if (letter == initialDrive && index >= 0) driveCombo.SetCurSel(index);
    }
  }
}
