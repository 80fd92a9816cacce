// Path classification and free space on the drives of the test prefix:
// C: H: T: hd (T: an empty 5 GB tmpfs), D: E: cdrom, F: floppy without medium, G: floppy with medium,
// N: network, Q: unmapped.
#include <windows.h>

#include <string>

#include "copy/drive_space.h"
#include "gtest/gtest.h"
#include "tests/support/responder.h"

namespace {

struct PathCase {
  const char *path;
  int reason;
};

// Both texts are cp932 at run time: ポ is 0x83 0x7C (trail byte '|'), 表 is 0x95 0x5C (trail byte '\').
const char KATAKANA_PO[] = "ポ";
const char HYOU[] = "表";

TEST(CheckDrivePath, EncodingOfTheDoubleByteSamples) {
  EXPECT_EQ(std::string(KATAKANA_PO), "\x83\x7C");
  EXPECT_EQ(std::string(HYOU), "\x95\x5C");
}

TEST(CheckDrivePath, ReasonsTable) {
  Responder user;  // the check shows nothing: any prompt fails the test
  const PathCase cases[] = {
      // usable: fixed and removable roots, with or without a medium
      {"C:\\Games\\Title", 0},
      {"c:\\games\\title", 0},
      {"H:\\Games\\Title\\", 0},
      {"T:\\", 0},
      {"G:\\Games", 0},
      {"F:\\Games", 0},
      // no drive or network root
      {"Games\\Title", 2},
      {"C:", 2},
      {"C:Games", 2},
      {"", 2},
      {"\\Games\\Title", 2},
      // a forbidden character after the root, each of the eight
      {"C:\\Ga:mes", 1},
      {"C:\\Games\\Ga:mes", 1},
      {"\\\\server\\share\\a?b", 1},
      {"C:\\Games\\a?b", 1},
      {"C:\\Games/Title", 1},
      {"C:\\Ga*mes", 1},
      {"C:\\Ga\"mes", 1},
      {"C:\\Ga<mes", 1},
      {"C:\\Ga>mes", 1},
      {"C:\\Ga|mes", 1},
      // a forbidden character is found before the drive is looked at
      {"D:\\Ga?mes", 1},
      // double-byte characters whose trail byte is '|' or '\' are characters, not separators
      {"C:\\Games\\ポ", 0},
      {"C:\\ポケット\\Title", 0},
      {"C:\\表\\Title", 0},
      {"H:\\表示ポ\\ポ表", 0},
      // ... but a real bar after one is found
      {"C:\\ポ|", 1},
      {"C:\\表:x", 1},
      // a lone lead byte at the end is not read past
      {"C:\\Games\x83", 0},
      // neither fixed nor removable
      {"D:\\Games\\Title", 3},
      {"E:\\", 3},
      {"N:\\Games", 3},
      {"Q:\\Games", 3},
      {"\\\\server\\share\\Games", 3},
  };
  for (const PathCase &c : cases) {
    int reason = 99;
    bool usable = checkDrivePath(c.path, &reason);
    EXPECT_EQ(reason, c.reason) << Utf8FromCp932(c.path);
    EXPECT_EQ(usable, c.reason == 0) << Utf8FromCp932(c.path);
  }
  EXPECT_TRUE(user.prompts().empty());
}

TEST(CheckDrivePath, WholeOfALongPathIsSearched) {
  std::string path = "C:\\";
  while (path.size() < 2 * MAX_PATH) path += "表ポ\\";
  int reason = 99;
  EXPECT_TRUE(checkDrivePath(path.c_str(), &reason));
  EXPECT_EQ(reason, 0);
  path += "a|b";
  EXPECT_FALSE(checkDrivePath(path.c_str(), &reason));
  EXPECT_EQ(reason, 1);
}

TEST(CheckDrivePath, WithoutReason) {
  EXPECT_TRUE(checkDrivePath("C:\\Games"));
  EXPECT_FALSE(checkDrivePath("Games"));
  EXPECT_FALSE(checkDrivePath("C:\\a?b", nullptr));
  EXPECT_FALSE(checkDrivePath("D:\\Games", nullptr));
  int reason = 99;
  EXPECT_FALSE(checkDrivePath(nullptr, &reason));
  EXPECT_EQ(reason, 2);
}

// T: is an empty 5 GB tmpfs: 5 * 1024 * 1024 KB free.
const DWORD TMPFS_FREE_KB = 5u * 1024u * 1024u;

TEST(GetDiskFreeKB, ExRouteOnTheNtFamilyReportsTheWholeFreeSpace) {
  Responder user;
  DWORD kb = 12345;
  ASSERT_TRUE(getDiskFreeKB("T:\\Games\\Title", &kb));
  EXPECT_EQ(kb, TMPFS_FREE_KB);
  kb = 12345;
  ASSERT_TRUE(getDiskFreeKB("t:\\", &kb));
  EXPECT_EQ(kb, TMPFS_FREE_KB);

  // Writing 1 MB takes 1024 KB off.
  HANDLE file = CreateFileA("T:\\fill.bin", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  std::string block(1024 * 1024, 'x');
  DWORD written = 0;
  EXPECT_TRUE(WriteFile(file, block.data(), static_cast<DWORD>(block.size()), &written, nullptr));
  CloseHandle(file);
  EXPECT_TRUE(getDiskFreeKB("T:\\Games", &kb));
  EXPECT_EQ(kb, TMPFS_FREE_KB - 1024);
  DeleteFileA("T:\\fill.bin");
  EXPECT_TRUE(getDiskFreeKB("T:\\Games", &kb));
  EXPECT_EQ(kb, TMPFS_FREE_KB);
  EXPECT_TRUE(user.prompts().empty());
}

TEST(GetDiskFreeKB, BothRoutesOnFiveGigabytes) {
  // The Ex route counts in 64 bits; the old one multiplies sectors x bytes x clusters in 32 bits,
  // so 5 GB wraps to 1 GB.
  DWORD sectors = 0, bytes = 0, clusters = 0;
  ASSERT_TRUE(GetDiskFreeSpaceA("T:\\", &sectors, &bytes, &clusters, nullptr));
  ASSERT_EQ(static_cast<unsigned long long>(sectors) * bytes * clusters, 5ull << 30);

  DWORD kb = 12345;
  ASSERT_TRUE(getDiskFreeKBByFreeSpaceEx("T:\\", &kb));
  EXPECT_EQ(kb, TMPFS_FREE_KB);
  kb = 12345;
  ASSERT_TRUE(getDiskFreeKBByFreeSpace("T:\\", &kb));
  EXPECT_EQ(kb, 1024u * 1024u);
}

TEST(GetDiskFreeKB, Refusals) {
  Responder user;
  const char *paths[] = {
      "\\\\server\\share\\Games",  // not a letter
      "1:\\Games",
      "",
      "Games\\Title",   // letter, but no root
      "C:",
      "C:\\Ga?mes",     // forbidden character
      "D:\\Games",      // cdrom
      "E:\\",
      "N:\\Games",      // network
      "Q:\\Games",      // unmapped
      "F:\\Games",      // removable, but no medium to ask
  };
  for (const char *path : paths) {
    DWORD kb = 12345;
    EXPECT_FALSE(getDiskFreeKB(path, &kb)) << path;
    EXPECT_EQ(kb, 0u) << path;
  }
  DWORD kb = 12345;
  EXPECT_FALSE(getDiskFreeKB(nullptr, &kb));
  EXPECT_EQ(kb, 0u);
  EXPECT_FALSE(getDiskFreeKB("C:\\", nullptr));
  // A failed query on either route leaves 0 too.
  kb = 12345;
  EXPECT_FALSE(getDiskFreeKBByFreeSpaceEx("F:\\", &kb));
  EXPECT_EQ(kb, 0u);
  kb = 12345;
  EXPECT_FALSE(getDiskFreeKBByFreeSpace("Q:\\", &kb));
  EXPECT_EQ(kb, 0u);
  EXPECT_TRUE(user.prompts().empty());
}

TEST(GetDiskFreeKB, RemovableDriveWithMedium) {
  DWORD kb = 0;
  EXPECT_TRUE(getDiskFreeKB("G:\\Games", &kb));
  EXPECT_GT(kb, 0u);
}

}  // namespace
