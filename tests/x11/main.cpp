#include <gtest/gtest.h>

#include <cstdio>

#include "x_session.h"

// Every run of these tests has an X server and a window manager of its own.
int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  if (GTEST_FLAG_GET(list_tests)) {
    return RUN_ALL_TESTS();
  }
  x11_test::XSession session;
  if (!session.ready()) {
    std::fputs("could not start Xvfb with openbox\n", stderr);
    return 1;
  }
  return RUN_ALL_TESTS();
}
