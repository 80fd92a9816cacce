#include "sysinfo/access_rights.h"

#include "config/reg_key.h"
#include "config/setup_log.h"
#include "sysinfo/sysinf.h"

static_assert(FOLDER_RIGHTS_MASK == (FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE | DELETE), "folder mask");
static_assert(REGISTRY_RIGHTS_MASK == (KEY_READ | KEY_WRITE | DELETE), "registry mask");

// The folder texts name Program Files whatever folder is checked: they are only ever traced.
const RightsTraceTexts FOLDER_TRACE_TEXTS = {
    "  Program FilesはFAT上に存在。\n",
    "  %sがProgram Filesへの権限を所有\n",
    "  Program Filesは%sの権限を拒否\n",
};
const RightsTraceTexts REGISTRY_TRACE_TEXTS = {
    "  NULL DACLのため、全てのアクセスが許可。\n",
    "  %sがHKLM\\Softwareへの権限を所有\n",
    "  HKLM\\Softwareは%sの権限を拒否\n",
};

namespace {

class TokenHandle {
 public:
  TokenHandle() = default;
  virtual ~TokenHandle() {
    if (handle_ != nullptr) CloseHandle(handle_);
  }
  TokenHandle(const TokenHandle &) = delete;
  TokenHandle &operator=(const TokenHandle &) = delete;
  HANDLE *out() { return &handle_; }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_ = nullptr;
};

// One kind of token information in a buffer of the size the token asks for; empty on failure.
std::vector<BYTE> tokenInformation(HANDLE token, TOKEN_INFORMATION_CLASS kind) {
  DWORD size = 0;
  GetTokenInformation(token, kind, nullptr, 0, &size);
  if (size == 0) return {};
  std::vector<BYTE> buffer(size);
  if (!GetTokenInformation(token, kind, buffer.data(), size, &size)) return {};
  return buffer;
}

void appendAccountText(PSID sid, AccountNames &names) {
  std::string text;
  if (AccountTextOfSid(sid, text)) names.push_back(text);
}

// Allowed and denied account texts of the DACL's entries; false when the ACL cannot be walked.
bool collectEntryNames(const ACL *dacl, DWORD mask, AccountNames &allowed, AccountNames &denied) {
  ACL_SIZE_INFORMATION size;
  if (!GetAclInformation(const_cast<ACL *>(dacl), &size, sizeof size, AclSizeInformation)) return false;
  for (DWORD index = 0; index < size.AceCount; ++index) {
    void *entry = nullptr;
    if (!GetAce(const_cast<ACL *>(dacl), index, &entry)) continue;
    const ACE_HEADER *header = static_cast<const ACE_HEADER *>(entry);
    if (header->AceType != ACCESS_ALLOWED_ACE_TYPE && header->AceType != ACCESS_DENIED_ACE_TYPE) continue;
    // Allowed and denied entries share one layout: header, mask, identifier.
    const ACCESS_ALLOWED_ACE *ace = static_cast<const ACCESS_ALLOWED_ACE *>(entry);
    if (header->AceSize < sizeof(ACCESS_ALLOWED_ACE)) continue;
    bool grants = header->AceType == ACCESS_ALLOWED_ACE_TYPE && (ace->Mask & mask) == mask;
    bool denies = header->AceType == ACCESS_DENIED_ACE_TYPE && (ace->Mask & mask) != 0;
    if (!grants && !denies) continue;
    PSID sid = const_cast<DWORD *>(&ace->SidStart);
    std::string text;
    if (!IsValidSid(sid) || !AccountTextOfSid(sid, text)) continue;
    (grants ? allowed : denied).push_back(text);
  }
  return true;
}

// Any grant to one of the users makes it true; any denial to one of them makes it false again.
bool decide(const AccountNames &users, const AccountNames &allowed, const AccountNames &denied,
            const RightsTraceTexts &texts) {
  bool result = false;
  for (const std::string &name : allowed) {
    for (const std::string &user : users) {
      if (name != user) continue;
      result = true;
      trace.print(texts.granted, user.c_str());
    }
  }
  for (const std::string &name : denied) {
    for (const std::string &user : users) {
      if (name != user) continue;
      result = false;
      trace.print(texts.denied, user.c_str());
    }
  }
  return result;
}

}  // namespace

bool AccountTextOfSid(PSID sid, std::string &text) {
  DWORD nameLength = 0;
  DWORD domainLength = 0;
  SID_NAME_USE use;
  LookupAccountSidA(nullptr, sid, nullptr, &nameLength, nullptr, &domainLength, &use);
  if (nameLength == 0) return false;
  std::vector<char> name(nameLength + 1, '\0');
  std::vector<char> domain(domainLength + 1, '\0');
  if (!LookupAccountSidA(nullptr, sid, name.data(), &nameLength, domain.data(), &domainLength, &use))
    return false;
  text = std::string(name.data()) + "/" + domain.data();
  return true;
}

void GetTokenAccountNames(AccountNames &names) {
  TokenHandle token;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, token.out())) return;
  std::vector<BYTE> user = tokenInformation(token.get(), TokenUser);
  if (!user.empty()) appendAccountText(reinterpret_cast<TOKEN_USER *>(user.data())->User.Sid, names);
  std::vector<BYTE> groups = tokenInformation(token.get(), TokenGroups);
  if (!groups.empty()) {
    const TOKEN_GROUPS *list = reinterpret_cast<const TOKEN_GROUPS *>(groups.data());
    for (DWORD i = 0; i < list->GroupCount; ++i) appendAccountText(list->Groups[i].Sid, names);
  }
}

bool DaclGrantsAccess(const AccountNames &users, const ACL *dacl, DWORD mask, const RightsTraceTexts &texts) {
  if (dacl == nullptr) {
    trace.print(texts.nullDacl);
    return true;
  }
  AccountNames allowed;
  AccountNames denied;
  if (!collectEntryNames(dacl, mask, allowed, denied)) return false;
  return decide(users, allowed, denied, texts);
}

bool DescriptorGrantsAccess(const AccountNames &users, PSECURITY_DESCRIPTOR descriptor, DWORD mask,
                            const RightsTraceTexts &texts) {
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  ACL *dacl = nullptr;
  if (!GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted) || !present) return false;
  return DaclGrantsAccess(users, dacl, mask, texts);
}

bool CheckFolderRights(const char *folder) {
  if (!SysInf::IsWinNT()) return true;
  AccountNames users;
  GetTokenAccountNames(users);
  if (folder == nullptr) return false;
  DWORD needed = 0;
  if (!GetFileSecurityA(folder, DACL_SECURITY_INFORMATION, nullptr, 0, &needed) &&
      GetLastError() != ERROR_INSUFFICIENT_BUFFER)
    return false;
  if (needed == 0) return false;
  std::vector<BYTE> descriptor(needed);
  if (!GetFileSecurityA(folder, DACL_SECURITY_INFORMATION, descriptor.data(), needed, &needed)) return false;
  return DescriptorGrantsAccess(users, descriptor.data(), FOLDER_RIGHTS_MASK, FOLDER_TRACE_TEXTS);
}

bool CheckRegistryRights(HKEY root, const char *subkey) {
  if (!SysInf::IsWinNT()) return true;
  AccountNames users;
  GetTokenAccountNames(users);
  RegKey key;
  if (RegOpenKeyExA(root, subkey, 0, KEY_READ, key.out()) != ERROR_SUCCESS) return false;
  DWORD size = 0;
  LONG status = RegGetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, nullptr, &size);
  if ((status != ERROR_INSUFFICIENT_BUFFER && status != ERROR_SUCCESS) || size == 0) return false;
  std::vector<BYTE> descriptor(size);
  if (RegGetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, descriptor.data(), &size) != ERROR_SUCCESS)
    return false;
  return DescriptorGrantsAccess(users, descriptor.data(), REGISTRY_RIGHTS_MASK, REGISTRY_TRACE_TEXTS);
}

bool CheckInstallRights() {
  if (!SysInf::IsWinNT()) return true;
  const std::string programFiles = SysInf::GetProgramFilesPath();
  bool folder = CheckFolderRights(programFiles.c_str());
  bool registry = CheckRegistryRights(HKEY_LOCAL_MACHINE, "Software");
  return folder && registry;
}
