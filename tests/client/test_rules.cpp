#include <gtest/gtest.h>

#include "U_clientrules.h"
#include "U_codepage.h"

namespace {

const QSize kArea(560, 439);

TEST(Arrangement, TileFillsTheAreaByRows) {
  struct Case {
    int n;
    bool frontVisible;
    std::vector<QRect> expected;
  };
  const std::vector<Case> cases = {
      {1, true, {QRect(-1, -1, 562, 441)}},
      {1, false, {}},
      // Front window right half of row one, second the left half, an odd last one the whole row.
      {5, true,
       {QRect(280, 0, 281, 147), QRect(0, 0, 281, 147), QRect(280, 146, 281, 147), QRect(0, 146, 281, 147),
        QRect(0, 292, 561, 147)}},
  };
  for (const Case& c : cases) EXPECT_EQ(TileGeometry(c.n, c.frontVisible, kArea), c.expected) << c.n;
}

TEST(Arrangement, CascadeNewAndKeepInside) {
  EXPECT_EQ(CascadeGeometry(3, kArea),
            (std::vector<QRect>{QRect(0, 0, 392, 263), QRect(16, 16, 392, 263), QRect(32, 32, 392, 263)}));
  // A new window steps off the front one; back at the corner when the step
  // would leave the area; a window larger than a shrunk area is cut to it.
  EXPECT_EQ(NewWindowGeometry(QRect(), kArea), QRect(0, 0, 392, 263));
  EXPECT_EQ(NewWindowGeometry(QRect(-1, -1, 562, 441), kArea), QRect(15, 15, 392, 263));
  EXPECT_EQ(NewWindowGeometry(QRect(150, 150, 392, 263), kArea), QRect(166, 166, 392, 263));
  EXPECT_EQ(NewWindowGeometry(QRect(168, 170, 392, 263), kArea), QRect(0, 0, 392, 263));
  EXPECT_EQ(FitInside(QRect(300, 300, 600, 100), kArea), QRect(0, 300, 560, 100));
  // Dragged past the right edge: moved back; resized past it: cut.
  EXPECT_EQ(KeepMovedInside(QRect(300, -5, 400, 100), kArea), QRect(160, 0, 400, 100));
  EXPECT_EQ(KeepMovedInside(QRect(-8, 400, 100, 100), kArea), QRect(0, 339, 100, 100));
  EXPECT_EQ(KeepSizedInside(QRect(300, 10, 400, 500), kArea), QRect(300, 10, 260, 429));
}

TEST(Captions, ChannelAndSelectMenu) {
  EXPECT_EQ(ChannelCaption("#c", 12, "tnkl", "sesame", 50, "hello"), "#c [12 tnkl sesame 50] hello");
  EXPECT_EQ(ChannelCaption("#c", 3, "tnl", nullptr, 9, "t"), "#c [3 tnl 9] t");

  const std::string b32(32, 'x');
  EXPECT_EQ(SelectMenuCaption(5, (b32 + "y").c_str()), Cp949Literal("[귓속말] - ") + b32 + "...");
  EXPECT_EQ(SelectMenuCaption(9, "s"), "[?] - s");
  // 31 ASCII bytes and a Korean letter: the letter is not split.
  const std::string korean = std::string(31, 'a') + Cp949Literal("가나");
  EXPECT_EQ(SelectMenuCaption(4, korean.c_str()), Cp949Literal("[상태창] - ") + std::string(31, 'a') + "...");
  using Entries = std::vector<std::string>;
  EXPECT_EQ(DistinctEntries({"a", "b", "a", "a"}), (Entries{"a", "b", "a (2)", "a (3)"}));
}

TEST(PageTexts, AutoJoinEntries) {
  using List = std::vector<std::string>;
  const std::vector<std::pair<const char*, List>> joins = {
      {"a,#b", {"#a", "#b"}}, {"#a,,#b", {"#a", "#", "#b"}}, {"#a,", {"#a"}}, {"", {}},
  };
  for (const auto& [text, expected] : joins) EXPECT_EQ(AutoJoinEntries(text), expected) << text;
}

TEST(Lines, QuitDetectionAndOutputSplit) {
  for (const char* quit : {"quit :bye", "  Quit", "QUIT\r\n"}) EXPECT_TRUE(IsQuitLine(quit)) << quit;
  for (const char* other : {"QUITE", "PRIVMSG #a :QUIT", ""}) EXPECT_FALSE(IsQuitLine(other)) << other;

  using List = std::vector<std::string>;
  EXPECT_EQ(OutputLines("a\r\nb"), (List{"a", "b"}));
  EXPECT_EQ(OutputLines("a\r\n"), (List{"a"}));
}

}  // namespace
