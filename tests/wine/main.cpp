#include <gtest/gtest.h>

#include <cstdio>

#include "viewer_under_wine.h"

// Runs inside a session of scripts/wine-session.sh, which gives the prefix and the display; the
// one argument left to it is the Windows executable.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) {
    return RUN_ALL_TESTS();
  }
  if (argc != 2) {
    std::fputs("usage: tablescope_wine_tests [gtest options] path/to/tablescope.exe\n", stderr);
    return 2;
  }
  wine_test::windows_executable = argv[1];
  return RUN_ALL_TESTS();
}
