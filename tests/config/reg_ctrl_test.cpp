#include <windows.h>
#include <shlwapi.h>

#include <string>

#include "config/reg_ctrl.h"
#include "gtest/gtest.h"

namespace {

const char kTestKey[] = "SOFTWARE\\InstConfigTest";
const char kProductKey[] = "SOFTWARE\\InstConfigTest\\Vender\\Product";

// Raw access to the real registry, to set up and look at keys behind RegCtrl's back.
struct RawValue {
  bool found = false;
  DWORD type = 0;
  std::string data;
};

RawValue readRaw(const char *subkey, const char *name) {
  RawValue result;
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS) return result;
  char buffer[4096];
  DWORD size = sizeof buffer;
  if (RegQueryValueExA(key, name, nullptr, &result.type, reinterpret_cast<BYTE *>(buffer), &size) == ERROR_SUCCESS) {
    result.found = true;
    result.data.assign(buffer, size);
  }
  RegCloseKey(key);
  return result;
}

void writeRaw(const char *subkey, const char *name, DWORD type, const std::string &data) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, name, 0, type, reinterpret_cast<const BYTE *>(data.data()),
                           static_cast<DWORD>(data.size())),
            ERROR_SUCCESS);
  RegCloseKey(key);
}

bool keyExists(const char *subkey) {
  HKEY key;
  if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, subkey, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

class RegCtrlTest : public testing::Test {
 protected:
  void SetUp() override { SHDeleteKeyA(HKEY_LOCAL_MACHINE, kTestKey); }
  void TearDown() override {
    EXPECT_EQ(SHDeleteKeyA(HKEY_LOCAL_MACHINE, kTestKey), static_cast<DWORD>(ERROR_SUCCESS));
    EXPECT_FALSE(keyExists(kTestKey));
  }
};

}  // namespace

TEST_F(RegCtrlTest, MissingKeyInReadAndWriteModes) {
  writeRaw(kTestKey, "marker", REG_SZ, "x");  // the test key exists, the product key does not
  for (int mode : {MODE_READ, MODE_WRITE}) {
    RegCtrl reg;
    EXPECT_FALSE(reg.open(kProductKey, mode, HKEY_LOCAL_MACHINE)) << mode;
    std::string out = "stale";
    EXPECT_FALSE(reg.get("setup_data", out));
    EXPECT_EQ(out, "");
    EXPECT_FALSE(reg.set("setup_data", "C:\\Game\\"));
    EXPECT_FALSE(reg.close(true));
    EXPECT_FALSE(keyExists(kProductKey)) << mode;
  }
}

TEST_F(RegCtrlTest, MissingKeyInUpdateModeIsCreatedAndFilled) {
  RegCtrl reg;
  ASSERT_TRUE(reg.open(kProductKey, MODE_UPDATE, HKEY_LOCAL_MACHINE));
  EXPECT_TRUE(keyExists(kProductKey));
  std::string out;
  EXPECT_FALSE(reg.get("setup_data", out));
  ASSERT_TRUE(reg.set("setup_data", "C:\\Program Files\\ベンダー\\ゲーム\\"));
  ASSERT_TRUE(reg.set("empty", ""));
  ASSERT_TRUE(reg.close(true));
  EXPECT_TRUE(reg.get("setup_data", out));  // values stay readable after close
  EXPECT_EQ(out, "C:\\Program Files\\ベンダー\\ゲーム\\");

  const RawValue raw = readRaw(kProductKey, "setup_data");
  ASSERT_TRUE(raw.found);
  EXPECT_EQ(raw.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(raw.data, std::string("C:\\Program Files\\ベンダー\\ゲーム\\") + '\0');

  RegCtrl second;
  ASSERT_TRUE(second.open(kProductKey, MODE_READ, HKEY_LOCAL_MACHINE));
  EXPECT_TRUE(second.get("setup_data", out));
  EXPECT_EQ(out, "C:\\Program Files\\ベンダー\\ゲーム\\");
  EXPECT_TRUE(second.get("empty", out));
  EXPECT_EQ(out, "");
}

TEST_F(RegCtrlTest, OtherTypesAreNeitherHeldNorTouched) {
  const std::string number("\x78\x56\x34\x12", 4);
  writeRaw(kProductKey, "count", REG_DWORD, number);
  writeRaw(kProductKey, "path", REG_EXPAND_SZ, std::string("%windir%\0", 9));
  writeRaw(kProductKey, "list", REG_MULTI_SZ, std::string("a\0b\0\0", 5));
  writeRaw(kProductKey, "setup_data", REG_SZ, std::string("old\0", 4));
  RegCtrl reg;
  ASSERT_TRUE(reg.open(kProductKey, MODE_UPDATE, HKEY_LOCAL_MACHINE));
  std::string out;
  for (const char *ignored : {"count", "path", "list"}) EXPECT_FALSE(reg.get(ignored, out)) << ignored;
  EXPECT_TRUE(reg.get("setup_data", out));
  EXPECT_EQ(out, "old");
  ASSERT_TRUE(reg.set("setup_data", "new"));
  ASSERT_TRUE(reg.close(true));

  const RawValue dword = readRaw(kProductKey, "count");
  ASSERT_TRUE(dword.found);
  EXPECT_EQ(dword.type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(dword.data, number);
  EXPECT_EQ(readRaw(kProductKey, "path").type, static_cast<DWORD>(REG_EXPAND_SZ));
  EXPECT_EQ(readRaw(kProductKey, "list").type, static_cast<DWORD>(REG_MULTI_SZ));
  EXPECT_EQ(readRaw(kProductKey, "setup_data").data, std::string("new\0", 4));
}

TEST_F(RegCtrlTest, TextEndsAtItsFirstZeroByte) {
  writeRaw(kProductKey, "two", REG_SZ, std::string("abc\0def\0", 8));
  writeRaw(kProductKey, "bare", REG_SZ, "xyz");  // stored without terminator
  RegCtrl reg;
  ASSERT_TRUE(reg.open(kProductKey, MODE_READ, HKEY_LOCAL_MACHINE));
  std::string out;
  EXPECT_TRUE(reg.get("two", out));
  EXPECT_EQ(out, "abc");
  EXPECT_TRUE(reg.get("bare", out));
  EXPECT_EQ(out, "xyz");
}

TEST_F(RegCtrlTest, BinaryValuesWithAndWithoutZeroByte) {
  const std::string withZero("a\0\xff\x83", 4);
  writeRaw(kProductKey, "zero", REG_BINARY, withZero);
  writeRaw(kProductKey, "plain", REG_BINARY, "abc");
  writeRaw(kProductKey, "trailing", REG_BINARY, std::string("ab\0", 3));
  RegCtrl reg;
  ASSERT_TRUE(reg.open(kProductKey, MODE_UPDATE, HKEY_LOCAL_MACHINE));
  std::string out;
  EXPECT_TRUE(reg.get("zero", out));
  EXPECT_EQ(out, withZero);
  EXPECT_TRUE(reg.get("plain", out));
  EXPECT_EQ(out, "abc");
  ASSERT_TRUE(reg.set("added", std::string("\0\1", 2)));
  ASSERT_TRUE(reg.close(true));

  const struct {
    const char *name;
    DWORD type;
    std::string data;
  } expected[] = {
      {"zero", REG_BINARY, withZero},
      {"plain", REG_SZ, std::string("abc\0", 4)},
      {"trailing", REG_BINARY, std::string("ab\0", 3)},
      {"added", REG_BINARY, std::string("\0\1", 2)},
  };
  RegCtrl second;
  ASSERT_TRUE(second.open(kProductKey, MODE_READ, HKEY_LOCAL_MACHINE));
  for (const auto &e : expected) {
    const RawValue raw = readRaw(kProductKey, e.name);
    ASSERT_TRUE(raw.found) << e.name;
    EXPECT_EQ(raw.type, e.type) << e.name;
    EXPECT_EQ(raw.data, e.data) << e.name;
    EXPECT_TRUE(second.get(e.name, out)) << e.name;
  }
  EXPECT_TRUE(second.get("plain", out));
  EXPECT_EQ(out, "abc");
  EXPECT_TRUE(second.get("zero", out));
  EXPECT_EQ(out, withZero);
}

TEST_F(RegCtrlTest, ReadModeRefusesChangesAndWritesNothing) {
  writeRaw(kProductKey, "setup_data", REG_SZ, std::string("C:\\Game\\\0", 9));
  RegCtrl reg;
  ASSERT_TRUE(reg.open(kProductKey, MODE_READ, HKEY_LOCAL_MACHINE));
  EXPECT_FALSE(reg.set("setup_data", "D:\\"));
  EXPECT_FALSE(reg.set("other", "x"));
  writeRaw(kProductKey, "setup_data", REG_SZ, std::string("E:\\\0", 4));  // changed by someone else
  EXPECT_TRUE(reg.close(true));
  EXPECT_FALSE(reg.close(true));  // closed now
  std::string out;
  EXPECT_TRUE(reg.get("setup_data", out));
  EXPECT_EQ(out, "C:\\Game\\");  // the object sees the key as it was at open
  EXPECT_EQ(readRaw(kProductKey, "setup_data").data, std::string("E:\\\0", 4));
  EXPECT_FALSE(readRaw(kProductKey, "other").found);
}

TEST_F(RegCtrlTest, UpdateStoresHeldValuesAndLeavesOthers) {
  writeRaw(kProductKey, "a", REG_SZ, std::string("1\0", 2));
  RegCtrl reg;
  ASSERT_TRUE(reg.open(kProductKey, MODE_UPDATE, HKEY_LOCAL_MACHINE));
  writeRaw(kProductKey, "a", REG_SZ, std::string("changed\0", 8));
  writeRaw(kProductKey, "late", REG_SZ, std::string("other\0", 6));
  EXPECT_TRUE(reg.close(false));  // no saving: nothing stored
  EXPECT_EQ(readRaw(kProductKey, "a").data, std::string("changed\0", 8));

  ASSERT_TRUE(reg.open(kProductKey, MODE_UPDATE, HKEY_LOCAL_MACHINE));
  ASSERT_TRUE(SHDeleteKeyA(HKEY_LOCAL_MACHINE, kProductKey) == ERROR_SUCCESS);
  EXPECT_TRUE(reg.close(true));  // recreates the deleted key with the held values
  EXPECT_EQ(readRaw(kProductKey, "a").data, std::string("1\0", 2));  // the first read wins over the second
  EXPECT_EQ(readRaw(kProductKey, "late").data, std::string("other\0", 6));
}

TEST_F(RegCtrlTest, GetIsCaseSensitive) {
  writeRaw(kProductKey, "setup_data", REG_SZ, std::string("C:\\Game\\\0", 9));
  RegCtrl reg;
  ASSERT_TRUE(reg.open(kProductKey, MODE_READ, HKEY_LOCAL_MACHINE));
  std::string out;
  EXPECT_TRUE(readRaw(kProductKey, "SETUP_DATA").found);  // the registry itself ignores case
  for (const char *other : {"SETUP_DATA", "Setup_Data", "setup_dat", "setup_data "}) {
    out = "stale";
    EXPECT_FALSE(reg.get(other, out)) << other;
    EXPECT_EQ(out, "") << other;
  }
  EXPECT_TRUE(reg.get("setup_data", out));
  EXPECT_EQ(out, "C:\\Game\\");
}

TEST_F(RegCtrlTest, Cp932ValueNamesAndTexts) {
  writeRaw(kProductKey, "インストール先", REG_SZ, std::string("Ｃ：￥ゲーム\0", 13));
  RegCtrl reg;
  ASSERT_TRUE(reg.open(kProductKey, MODE_READ, HKEY_LOCAL_MACHINE));
  std::string out;
  EXPECT_TRUE(reg.get("インストール先", out));
  EXPECT_EQ(out, "Ｃ：￥ゲーム");
}

TEST_F(RegCtrlTest, OverlongSubkeyIsRefused) {
  const std::string tooLong = std::string(kTestKey) + "\\" + std::string(300, 'k');
  RegCtrl reg;
  EXPECT_FALSE(reg.open(tooLong.c_str(), MODE_UPDATE, HKEY_LOCAL_MACHINE));
  EXPECT_FALSE(reg.close(true));
  writeRaw(kTestKey, "marker", REG_SZ, "x");  // so that TearDown finds the key to remove
}
