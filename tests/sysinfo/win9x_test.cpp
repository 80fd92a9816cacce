// The 95 family as Wine reports it to a program configured for win95 or win98.
// T: is an empty 5 GB tmpfs.
#include <windows.h>

#include "copy/drive_space.h"
#include "gtest/gtest.h"
#include "sysinfo/access_rights.h"
#include "sysinfo/sysinf.h"

#ifndef EXPECTED_FAMILY_BUILD_BELOW_1000
#error "the test program says which version of the family it runs under"
#endif

namespace {

TEST(Family95, WineReportsTheConfiguredVersion) {
  OSVERSIONINFOA version{};
  version.dwOSVersionInfoSize = sizeof version;
  ASSERT_TRUE(GetVersionExA(&version));
  EXPECT_EQ(version.dwPlatformId, static_cast<DWORD>(VER_PLATFORM_WIN32_WINDOWS));
  EXPECT_EQ(LOWORD(version.dwBuildNumber) < 1000, EXPECTED_FAMILY_BUILD_BELOW_1000 == 1)
      << "build " << LOWORD(version.dwBuildNumber);
}

TEST(Family95, IsNotNT) { EXPECT_FALSE(SysInf::IsWinNT()); }

TEST(Family95, EveryRightsCheckPassesWithoutLooking) {
  // On the NT family each of these fails: nothing there to read.
  EXPECT_TRUE(CheckFolderRights("C:\\No\\Such\\Folder"));
  EXPECT_TRUE(CheckFolderRights(nullptr));
  EXPECT_TRUE(CheckRegistryRights(HKEY_LOCAL_MACHINE, "Software\\No Such Key Here"));
  EXPECT_TRUE(CheckInstallRights());
}

TEST(Family95, FreeSpaceRouteByBuild) {
  const DWORD tmpfsKB = 5u * 1024u * 1024u;
  DWORD kb = 0;
  ASSERT_TRUE(getDiskFreeKB("T:\\Games\\Title", &kb));
#if EXPECTED_FAMILY_BUILD_BELOW_1000
  // GetDiskFreeSpaceA: on this family Wine caps its answer below 2 GB, as the old systems did.
  DWORD sectors = 0, bytes = 0, clusters = 0;
  ASSERT_TRUE(GetDiskFreeSpaceA("T:\\", &sectors, &bytes, &clusters, nullptr));
  EXPECT_EQ(kb, (sectors * bytes * clusters) >> 10);
  EXPECT_LT(kb, 2u * 1024u * 1024u);
#else
  // GetDiskFreeSpaceExA: the whole 5 GB.
  EXPECT_EQ(kb, tmpfsKB);
#endif
  (void)tmpfsKB;
}

}  // namespace
