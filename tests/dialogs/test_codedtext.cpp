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
  RichAddLine(&pane, "a\x03" "8b\x03" "0,4c\x03" "d\x03" "123", 0xFF0000);
  EXPECT_EQ(pane.toPlainText(), "abcd3 ");
  EXPECT_EQ(ColorAt(pane, 0), 0xFF0000u);  // the line's own colour
  EXPECT_EQ(ColorAt(pane, 1), 0xFF7F00u);  // yellow shows orange
  EXPECT_EQ(ColorAt(pane, 2), 0xFF0000u);  // white on red shows red
  EXPECT_EQ(ColorAt(pane, 3), 0x000000u);  // no digits: black, only the byte 3 taken
  EXPECT_EQ(ColorAt(pane, 4), 0x0000FFu);  // two digits read, the third is text
}

// A stamp stands before the line in its muted colour and is left out of
// the line's text; the speaker's nick takes its colour across a code.
TEST(RichAddLine, StampAndNickColourLieOnTheirOwnCharacters) {
  QTextEdit pane;
  RichAddLine(&pane, TPaneLine{"<b\x02" "o\x02" "b> hi", 0x112233, QStringLiteral("[20:41] "), 1, 5, 0xA3195B});
  const QTextBlock line = pane.document()->firstBlock();
  EXPECT_EQ(LineText(line), "<bob> hi ");
  EXPECT_EQ(ColorAt(pane, 0), kStampColour);
  const uint32_t expected[] = {0x112233, 0xA3195B, 0xA3195B, 0xA3195B, 0x112233, 0x112233};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(ColorAt(pane, 8 + i), expected[i]) << i;
  RichAddLine(&pane, TPaneLine{"<x> out of range", 0, {}, 3, 400, 0xA3195B});
  EXPECT_EQ(LineText(pane.document()->lastBlock()), "<x> out of range ");
}

// A line's own block format (a band behind it) and stamp neither carry over
// to the next line nor move to another when the oldest lines go.
TEST(RichAddLine, PaneKeepsItsLastLinesAndTheirFormats) {
  QTextEdit pane;
  QTextBlockFormat band;
  band.setBackground(Qt::yellow);
  for (int i = 1; i <= 300; ++i) {
    RichAddLine(&pane, TPaneLine{"line " + std::to_string(i), 0, i > 10 ? QStringLiteral("[00:00] ") : QString()}, 300);
    if (i == 1 || i == 15) QTextCursor(pane.document()->lastBlock()).mergeBlockFormat(band);
  }
  EXPECT_EQ(pane.document()->blockCount(), 300);
  RichAddLine(&pane, TPaneLine{"line 301", 0}, 300);
  EXPECT_EQ(pane.document()->blockCount(), 291);
  EXPECT_EQ(LineText(pane.document()->firstBlock()), "line 11 ");
  EXPECT_EQ(pane.document()->firstBlock().text(), "[00:00] line 11 ");
  EXPECT_EQ(LineText(pane.document()->lastBlock()), "line 301 ");
  std::vector<int> banded;
  for (QTextBlock block = pane.document()->begin(); block.isValid(); block = block.next())
    if (block.blockFormat().background().style() != Qt::NoBrush) banded.push_back(block.blockNumber());
  EXPECT_EQ(banded, std::vector<int>{4});  // line 15
}
