// Output-pane lines with formatting codes.
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <gtest/gtest.h>

#include <string>

#include "U_codedtext.h"

namespace {

// The colour of the character at `position` of the pane's plain text.
uint32_t ColorAt(QTextEdit& pane, int position) {
  QTextCursor cursor(pane.document());
  cursor.setPosition(position + 1);
  return cursor.charFormat().foreground().color().rgb() & 0xFFFFFF;
}

}  // namespace

TEST(RichAddLine, ColourCodesAreDarkenedForTheLightPane) {
  QTextEdit pane;
  RichAddLine(&pane, TPaneLine{"a\x03" "8b\x03" "0,4c\x03" "d\x03" "123", 0xFF0000});
  EXPECT_EQ(pane.toPlainText(), "abcd3 ");
  EXPECT_EQ(ColorAt(pane, 0), 0xFF0000u);  // the line's own colour
  EXPECT_EQ(ColorAt(pane, 1), 0xFF7F00u);  // yellow shows orange
  EXPECT_EQ(ColorAt(pane, 2), 0xFF0000u);  // white on red shows red
  EXPECT_EQ(ColorAt(pane, 3), 0x000000u);  // no digits: black, only the byte 3 taken
  EXPECT_EQ(ColorAt(pane, 4), 0x0000FFu);  // two digits read, the third is text
}

// A stamp stands first in its muted colour; the speaker's nick takes its
// colour across a code, and a nick beyond the text colours nothing.
TEST(ShownLine, StampAndNickColourLieOnTheirOwnCharacters) {
  const TShownLine shown = ShownLine(TPaneLine{"<b\x02" "o\x02" "b> hi", 0x112233, QStringLiteral("[20:41] "), 1, 5, 0xA3195B});
  EXPECT_EQ(shown.text, "[20:41] <bob> hi ");
  EXPECT_EQ(shown.stampLength, 8);
  const auto colourAt = [&](int at) {
    for (const TTextRun& run : shown.runs)
      if (at >= run.start && at < run.start + run.length) return run.colour;
    return 0xFFFFFFFFu;
  };
  EXPECT_EQ(colourAt(0), kStampColour);
  const uint32_t expected[] = {0x112233, 0xA3195B, 0xA3195B, 0xA3195B, 0x112233, 0x112233};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(colourAt(8 + i), expected[i]) << i;
  const TShownLine beyond = ShownLine(TPaneLine{"<x> out of range", 0, {}, 3, 400, 0xA3195B});
  EXPECT_EQ(beyond.text, "<x> out of range ");
  EXPECT_EQ(beyond.runs.size(), 2u);
}

TEST(RichAddLine, PaneKeepsItsLastLines) {
  QTextEdit pane;
  for (int i = 1; i <= 300; ++i) RichAddLine(&pane, TPaneLine{"line " + std::to_string(i), 0}, 300);
  EXPECT_EQ(pane.document()->blockCount(), 300);
  RichAddLine(&pane, TPaneLine{"line 301", 0}, 300);
  EXPECT_EQ(pane.document()->blockCount(), 291);
  EXPECT_EQ(pane.document()->firstBlock().text(), "line 11 ");
  EXPECT_EQ(pane.document()->lastBlock().text(), "line 301 ");
}
