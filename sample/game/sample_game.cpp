// The stand-in for the game's program (and its uninstaller) on the sample disc.
// Started by a player it only says what it is. Started by the end-to-end tests, which set
// INST_E2E_MARKERS to a folder, it leaves "<its file name>.started" there with its command line and
// current folder, and ends at once, so that a test can see which program the installer started.
#include <windows.h>

#include <string>

namespace {

std::wstring ownPath() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  return path;
}

std::wstring fileNameOf(const std::wstring &path) {
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// The folder may be given as a Unix path (the tests run on the host); Wine shows the root as Z:.
std::wstring windowsFolder(std::wstring folder) {
  if (!folder.empty() && folder[0] == L'/') {
    for (auto &c : folder) {
      if (c == L'/') c = L'\\';
    }
    folder = L"Z:" + folder;
  }
  if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
  return folder;
}

bool writeUtf8(const std::wstring &path, const std::wstring &text) {
  int n = WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), &bytes[0], n, nullptr, nullptr);
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  std::wstring self = ownPath();
  wchar_t markers[MAX_PATH] = {};
  if (GetEnvironmentVariableW(L"INST_E2E_MARKERS", markers, MAX_PATH) > 0) {
    wchar_t folder[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, folder);
    std::wstring report = L"program=" + self + L"\ncommandline=" + GetCommandLineW() + L"\nfolder=" + folder + L"\n";
    return writeUtf8(windowsFolder(markers) + fileNameOf(self) + L".started", report) ? 0 : 1;
  }
  std::wstring text = L"「月影のラビリンス」サンプルディスクの仮のプログラムです。\n\n" + self;
  MessageBoxW(nullptr, text.c_str(), L"月影のラビリンス", MB_OK | MB_ICONINFORMATION);
  return 0;
}
