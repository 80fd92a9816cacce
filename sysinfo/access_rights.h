#pragma once
// Whether the current user may write where an installation writes. Works on account texts
// ("name/domain" from LookupAccountSidA), compared byte by byte; a denial overrides any grant.
// Every check passes at once on a system outside the NT family.
#include <windows.h>

#include <string>
#include <vector>

// Account texts in order: the token's user first, then its groups in token order.
using AccountNames = std::vector<std::string>;

// What a folder or a registry key must grant: write, execute and delete rights.
constexpr DWORD FOLDER_RIGHTS_MASK = 0x1301b6;  // FILE_GENERIC_WRITE | FILE_GENERIC_EXECUTE | DELETE
constexpr DWORD REGISTRY_RIGHTS_MASK = 0x3001f;  // KEY_READ | KEY_WRITE | DELETE

// Diagnostic texts of one kind of object, for the trace channel.
struct RightsTraceTexts {
  const char *nullDacl;  // no argument
  const char *granted;   // %s: the user name
  const char *denied;    // %s: the user name
};
extern const RightsTraceTexts FOLDER_TRACE_TEXTS;
extern const RightsTraceTexts REGISTRY_TRACE_TEXTS;

// Program Files and HKEY_LOCAL_MACHINE\Software, both checked, each reading the token anew.
bool CheckInstallRights();
// The folder mask on an existing folder; a folder that cannot be read fails.
bool CheckFolderRights(const char *folder);
// The key mask on the key; a key that cannot be opened fails.
bool CheckRegistryRights(HKEY root, const char *subkey);

// Appends the account texts of the current process's token; identifiers without a name are left out.
void GetTokenAccountNames(AccountNames &names);

// "name/domain" of an identifier; false when the system cannot name it.
bool AccountTextOfSid(PSID sid, std::string &text);

// The decision on one DACL: true when an allowed entry holding every bit of mask names one of the
// users and no denied entry holding any bit of mask does. Entry flags and generic rights are not
// interpreted; other entry types and identifiers without a name are ignored. A null DACL grants
// everything; an empty one grants nothing.
bool DaclGrantsAccess(const AccountNames &users, const ACL *dacl, DWORD mask, const RightsTraceTexts &texts);
// The same on a whole security descriptor; one without a DACL grants nothing.
bool DescriptorGrantsAccess(const AccountNames &users, PSECURITY_DESCRIPTOR descriptor, DWORD mask,
                            const RightsTraceTexts &texts);
