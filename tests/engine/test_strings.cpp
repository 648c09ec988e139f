#include <gtest/gtest.h>

#include <cstring>

#include "U_commondata.h"

TEST(ZoStringSpc, SplitsAtSingleSpacesAndKeepsRestUnchanged) {
  ZoStringSpc tokens;
  tokens.setText("a  b");
  EXPECT_STREQ(tokens.nextToken(), "a");
  EXPECT_STREQ(tokens.nextToken(), "");
  EXPECT_STREQ(tokens.nextToken(), "b");
  EXPECT_EQ(tokens.nextToken(), nullptr);
  EXPECT_EQ(tokens.nextToken(), nullptr);
  EXPECT_EQ(tokens.nextInt(), -1);

  tokens.setText("PRIVMSG #c :hello  there");
  EXPECT_STREQ(tokens.nextToken(), "PRIVMSG");
  EXPECT_STREQ(tokens.rest(), "#c :hello  there");
  tokens.setText("42 x");
  EXPECT_EQ(tokens.nextInt(), 42);
  EXPECT_STREQ(tokens.rest(), "x");
}

TEST(ZoStringStaticN, SplitsLinesAndReportsTheTail) {
  ZoStringStaticN lines(64);
  strcpy(lines.buffer(), "x\r\ny");
  lines.reset();
  size_t length = 0;
  EXPECT_STREQ(lines.nextLine(&length), "x\r");
  EXPECT_EQ(length, 2u);
  EXPECT_EQ(lines.nextLine(), nullptr);
  EXPECT_STREQ(lines.remainder(), "y");
  lines.finish();
  EXPECT_STREQ(lines.buffer(), "x\r\ny");

  strcpy(lines.buffer(), "a\nb\n");
  lines.reset();
  EXPECT_STREQ(lines.nextLine(), "a");
  EXPECT_STREQ(lines.nextLine(), "b");
  EXPECT_EQ(lines.nextLine(), nullptr);
  EXPECT_EQ(lines.remainder(), nullptr);
}

TEST(ZoStringStaticN, ANulInsideTheTextCutsOnlyItsOwnLine) {
  ZoStringStaticN lines(16);
  memcpy(lines.buffer(), "a\0b\nc\n", 6);
  lines.reset(6);
  EXPECT_STREQ(lines.nextLine(), "a");
  EXPECT_STREQ(lines.nextLine(), "c");
}

