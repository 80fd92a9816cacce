// The access-rights decision on DACLs built in memory, and the real checks on Wine's folders and keys.
#include <windows.h>
#include <sddl.h>

#include <memory>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "sysinfo/access_rights.h"
#include "sysinfo/sysinf.h"

namespace {

// A SID in a buffer of its own.
class Sid {
 public:
  static Sid wellKnown(WELL_KNOWN_SID_TYPE type) {
    Sid sid;
    DWORD size = SECURITY_MAX_SID_SIZE;
    sid.bytes_.resize(size);
    if (!CreateWellKnownSid(type, nullptr, sid.get(), &size)) sid.bytes_.clear();
    return sid;
  }
  static Sid fromText(const char *text) {
    Sid sid;
    PSID parsed = nullptr;
    if (ConvertStringSidToSidA(text, &parsed)) {
      const BYTE *begin = static_cast<const BYTE *>(parsed);
      sid.bytes_.assign(begin, begin + GetLengthSid(parsed));
      LocalFree(parsed);
    }
    return sid;
  }
  virtual ~Sid() = default;
  PSID get() { return bytes_.empty() ? nullptr : bytes_.data(); }

 private:
  std::vector<BYTE> bytes_;
};

struct Entry {
  bool allow;
  DWORD mask;
  Sid *sid;
  BYTE flags = 0;
};

// An ACL holding the entries in order, in a buffer large enough for any of them.
class Acl {
 public:
  explicit Acl(const std::vector<Entry> &entries) : bytes_(2048) {
    InitializeAcl(get(), static_cast<DWORD>(bytes_.size()), ACL_REVISION);
    for (const Entry &e : entries) {
      BOOL added = e.allow ? AddAccessAllowedAceEx(get(), ACL_REVISION, e.flags, e.mask, e.sid->get())
                           : AddAccessDeniedAceEx(get(), ACL_REVISION, e.flags, e.mask, e.sid->get());
      ok_ = ok_ && added;
    }
  }
  virtual ~Acl() = default;
  ACL *get() { return reinterpret_cast<ACL *>(bytes_.data()); }
  bool ok() const { return ok_; }

 private:
  std::vector<BYTE> bytes_;
  bool ok_ = true;
};

class Decision : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(admins_.get(), nullptr);
    ASSERT_NE(users_.get(), nullptr);
    ASSERT_NE(unknown_.get(), nullptr);
    std::string text;
    ASSERT_TRUE(AccountTextOfSid(admins_.get(), text));
    ASSERT_EQ(text, "Administrators/BUILTIN");
    ASSERT_FALSE(AccountTextOfSid(unknown_.get(), text));
    names_ = {"root/WORKGROUP", "Administrators/BUILTIN"};
  }
  bool folderDecision(const std::vector<Entry> &entries) {
    Acl acl(entries);
    EXPECT_TRUE(acl.ok());
    return DaclGrantsAccess(names_, acl.get(), FOLDER_RIGHTS_MASK, FOLDER_TRACE_TEXTS);
  }

  Sid admins_ = Sid::wellKnown(WinBuiltinAdministratorsSid);
  Sid users_ = Sid::wellKnown(WinBuiltinUsersSid);
  Sid unknown_ = Sid::fromText("S-1-5-21-1111111111-2222222222-3333333333-4444");
  AccountNames names_;
};

TEST_F(Decision, GrantsAndDenials) {
  struct Case {
    const char *what;
    std::vector<Entry> entries;
    bool granted;
  };
  const Case cases[] = {
      {"full control", {{true, FILE_ALL_ACCESS, &admins_}}, true},
      {"exactly the folder mask", {{true, FOLDER_RIGHTS_MASK, &admins_}}, true},
      {"read and execute only", {{true, FILE_GENERIC_READ | FILE_GENERIC_EXECUTE, &admins_}}, false},
      {"mask less DELETE", {{true, FOLDER_RIGHTS_MASK & ~DELETE, &admins_}}, false},
      {"full control, then DELETE denied", {{true, FILE_ALL_ACCESS, &admins_}, {false, DELETE, &admins_}}, false},
      {"DELETE denied, then full control", {{false, DELETE, &admins_}, {true, FILE_ALL_ACCESS, &admins_}}, false},
      {"a denial of a right outside the mask", {{true, FILE_ALL_ACCESS, &admins_}, {false, FILE_READ_DATA, &admins_}},
       true},
      {"GENERIC_ALL alone", {{true, GENERIC_ALL, &admins_}}, false},
      {"full control to a group the user is not in", {{true, FILE_ALL_ACCESS, &users_}}, false},
      {"full control to an unknown SID only", {{true, FILE_ALL_ACCESS, &unknown_}}, false},
      {"an unknown SID's denial is ignored", {{false, FILE_ALL_ACCESS, &unknown_}, {true, FILE_ALL_ACCESS, &admins_}},
       true},
      {"a denial to another group", {{true, FILE_ALL_ACCESS, &admins_}, {false, FILE_ALL_ACCESS, &users_}}, true},
      {"inherit-only grant still counts",
       {{true, FILE_ALL_ACCESS, &admins_, INHERIT_ONLY_ACE | OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE}}, true},
      {"inherit-only denial still counts",
       {{true, FILE_ALL_ACCESS, &admins_}, {false, DELETE, &admins_, INHERIT_ONLY_ACE | OBJECT_INHERIT_ACE}}, false},
      {"an empty DACL", {}, false},
  };
  for (const Case &c : cases) EXPECT_EQ(folderDecision(c.entries), c.granted) << c.what;
}

TEST_F(Decision, RegistryMask) {
  Acl full({{true, KEY_ALL_ACCESS, &admins_}});
  EXPECT_TRUE(DaclGrantsAccess(names_, full.get(), REGISTRY_RIGHTS_MASK, REGISTRY_TRACE_TEXTS));
  Acl readOnly({{true, KEY_READ, &admins_}});
  EXPECT_FALSE(DaclGrantsAccess(names_, readOnly.get(), REGISTRY_RIGHTS_MASK, REGISTRY_TRACE_TEXTS));
  Acl denied({{true, KEY_ALL_ACCESS, &admins_}, {false, KEY_SET_VALUE, &admins_}});
  EXPECT_FALSE(DaclGrantsAccess(names_, denied.get(), REGISTRY_RIGHTS_MASK, REGISTRY_TRACE_TEXTS));
}

TEST_F(Decision, NamesAreComparedExactly) {
  Acl full({{true, FILE_ALL_ACCESS, &admins_}});
  EXPECT_FALSE(DaclGrantsAccess({"administrators/BUILTIN", "Administrators/builtin", "Administrators"}, full.get(),
                                FOLDER_RIGHTS_MASK, FOLDER_TRACE_TEXTS));
  EXPECT_FALSE(DaclGrantsAccess({}, full.get(), FOLDER_RIGHTS_MASK, FOLDER_TRACE_TEXTS));
}

TEST_F(Decision, NullDaclAndMissingDacl) {
  EXPECT_TRUE(DaclGrantsAccess(names_, nullptr, FOLDER_RIGHTS_MASK, FOLDER_TRACE_TEXTS));
  EXPECT_TRUE(DaclGrantsAccess({}, nullptr, REGISTRY_RIGHTS_MASK, REGISTRY_TRACE_TEXTS));

  SECURITY_DESCRIPTOR descriptor;
  ASSERT_TRUE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
  ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE, nullptr, FALSE));  // a null DACL
  EXPECT_TRUE(DescriptorGrantsAccess(names_, &descriptor, FOLDER_RIGHTS_MASK, FOLDER_TRACE_TEXTS));
  ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, FALSE, nullptr, FALSE));  // no DACL at all
  EXPECT_FALSE(DescriptorGrantsAccess(names_, &descriptor, FOLDER_RIGHTS_MASK, FOLDER_TRACE_TEXTS));
  Acl full({{true, FILE_ALL_ACCESS, &admins_}});
  ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE, full.get(), FALSE));
  EXPECT_TRUE(DescriptorGrantsAccess(names_, &descriptor, FOLDER_RIGHTS_MASK, FOLDER_TRACE_TEXTS));
}

TEST(TokenAccountNames, UserFirstThenGroups) {
  AccountNames names{"kept"};
  GetTokenAccountNames(names);
  ASSERT_GE(names.size(), 3u);
  EXPECT_EQ(names[0], "kept");  // appended, not replaced

  // The first name is the token's user.
  HANDLE token = nullptr;
  ASSERT_TRUE(OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token));
  BYTE buffer[512];
  DWORD size = 0;
  ASSERT_TRUE(GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size));
  CloseHandle(token);
  std::string user;
  ASSERT_TRUE(AccountTextOfSid(reinterpret_cast<TOKEN_USER *>(buffer)->User.Sid, user));
  EXPECT_EQ(names[1], user);
  char userName[256] = "";
  DWORD length = sizeof userName;
  ASSERT_TRUE(GetUserNameA(userName, &length));
  EXPECT_EQ(user.substr(0, user.find('/')), userName);

  bool administrators = false;
  for (size_t i = 2; i < names.size(); ++i) administrators = administrators || names[i] == "Administrators/BUILTIN";
  EXPECT_TRUE(administrators);
}

TEST(RealRights, ProgramFilesAndSoftwareKeyPass) {
  EXPECT_TRUE(CheckFolderRights(SysInf::GetProgramFilesPath()));
  EXPECT_TRUE(CheckRegistryRights(HKEY_LOCAL_MACHINE, "Software"));
  EXPECT_TRUE(CheckInstallRights());
}

TEST(RealRights, MissingObjectsFail) {
  EXPECT_FALSE(CheckFolderRights("C:\\No\\Such\\Folder"));
  EXPECT_FALSE(CheckFolderRights("Q:\\"));
  EXPECT_FALSE(CheckFolderRights(nullptr));
  EXPECT_FALSE(CheckRegistryRights(HKEY_LOCAL_MACHINE, "Software\\No Such Key Here"));
}

// A key whose DACL the test sets; deleted again at the end.
class KeyWithDacl : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, SUBKEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    RegCloseKey(key_);
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, SUBKEY);
  }
  void setDacl(Acl &acl) {
    ASSERT_TRUE(acl.ok());
    SECURITY_DESCRIPTOR descriptor;
    ASSERT_TRUE(InitializeSecurityDescriptor(&descriptor, SECURITY_DESCRIPTOR_REVISION));
    ASSERT_TRUE(SetSecurityDescriptorDacl(&descriptor, TRUE, acl.get(), FALSE));
    ASSERT_EQ(RegSetKeySecurity(key_, DACL_SECURITY_INFORMATION, &descriptor), ERROR_SUCCESS);
  }
  static constexpr const char *SUBKEY = "Software\\InstRightsTest";
  HKEY key_ = nullptr;
  Sid admins_ = Sid::wellKnown(WinBuiltinAdministratorsSid);
  Sid everyone_ = Sid::wellKnown(WinWorldSid);
};

TEST_F(KeyWithDacl, DeniedDeleteFails) {
  Acl granted({{true, KEY_ALL_ACCESS, &admins_}, {true, KEY_READ, &everyone_}});
  setDacl(granted);
  EXPECT_TRUE(CheckRegistryRights(HKEY_LOCAL_MACHINE, SUBKEY));

  Acl denied({{true, KEY_ALL_ACCESS, &admins_}, {true, KEY_READ, &everyone_}, {false, DELETE, &admins_}});
  setDacl(denied);
  EXPECT_FALSE(CheckRegistryRights(HKEY_LOCAL_MACHINE, SUBKEY));

  Acl readOnly({{true, KEY_READ, &admins_}, {true, KEY_READ, &everyone_}});
  setDacl(readOnly);
  EXPECT_FALSE(CheckRegistryRights(HKEY_LOCAL_MACHINE, SUBKEY));
}

}  // namespace
