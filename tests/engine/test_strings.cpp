#include <gtest/gtest.h>

#include <cstring>

#include "U_commondata.h"

// Splitting itself is covered where lines are framed and parsed; this is the
// case a framing test cannot reach.
TEST(ZoStringStaticN, ANulInsideTheTextCutsOnlyItsOwnLine) {
  ZoStringStaticN lines(16);
  memcpy(lines.buffer(), "a\0b\nc\n", 6);
  lines.reset(6);
  EXPECT_STREQ(lines.nextLine(), "a");
  EXPECT_STREQ(lines.nextLine(), "c");
}

