#include "tools/uidriver/host_request.h"

#include "tools/uidriver/facts.h"
#include "tools/uidriver/text.h"

namespace {

std::wstring ipcFolder() {
  wchar_t value[MAX_PATH] = {};
  DWORD n = GetEnvironmentVariableW(L"INST_E2E_IPC", value, MAX_PATH);
  if (n == 0 || n >= MAX_PATH) return std::wstring();
  return WindowsFolder(value);
}

bool writeFile(const std::wstring &path, const std::string &bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
  CloseHandle(file);
  return ok && written == bytes.size();
}

}  // namespace

std::wstring WindowsFolder(const std::wstring &folder) {
  std::wstring out = folder;
  if (!out.empty() && out[0] == L'/') {
    for (auto &c : out) {
      if (c == L'/') c = L'\\';
    }
    out = L"Z:" + out;
  }
  if (!out.empty() && out.back() != L'\\') out += L'\\';
  return out;
}

bool HostAvailable() { return !ipcFolder().empty(); }

bool HostRequest(const std::wstring &request, DWORD timeoutMs, std::wstring &answer) {
  static int sequence = 0;
  std::wstring folder = ipcFolder();
  if (folder.empty()) {
    answer = L"no host watches for requests (INST_E2E_IPC is not set)";
    return false;
  }
  std::wstring n = std::to_wstring(++sequence) + L"-" + std::to_wstring(GetCurrentProcessId());
  std::wstring staging = folder + L"req-" + n + L".tmp";
  std::wstring ready = folder + L"req-" + n + L".txt";
  std::wstring ack = folder + L"ack-" + n + L".txt";
  if (!writeFile(staging, Utf8FromWide(request) + "\n") || !MoveFileW(staging.c_str(), ready.c_str())) {
    answer = L"cannot write the request into " + folder;
    return false;
  }
  DWORD start = GetTickCount();
  while (!PathIsFile(ack)) {
    if (GetTickCount() - start > timeoutMs) {
      DeleteFileW(ready.c_str());
      answer = L"the host did not answer within " + std::to_wstring(timeoutMs / 1000) + L" s";
      return false;
    }
    Sleep(20);
  }
  std::string bytes;
  ReadWholeFile(ack, bytes);
  DeleteFileW(ack.c_str());
  while (!bytes.empty() && (bytes.back() == '\n' || bytes.back() == '\r')) bytes.pop_back();
  answer = WideFromUtf8(bytes);
  return answer == L"ok";
}
