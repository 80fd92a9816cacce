// Entry of every test program: refuses to run unless the ANSI code page is cp932, since every
// literal of the program is cp932 bytes and every comparison would be meaningless otherwise.
#include <windows.h>

#include <cstdio>

#include "gtest/gtest.h"

int main(int argc, char **argv) {
  if (GetACP() != 932) {
    std::fprintf(stderr,
                 "FATAL: the ANSI code page is %u, not 932. Run the tests through tools/winerun.sh "
                 "(LC_ALL=ja_JP.UTF-8) after tools/setup.sh has generated the ja_JP.UTF-8 locale.\n",
                 GetACP());
    return 3;
  }
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
