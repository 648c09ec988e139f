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

// A line's own block format (a band behind it) neither carries over to the
// next line nor moves to another when the oldest lines go.
TEST(RichAddLine, PaneKeepsItsLastLinesAndTheirFormats) {
  QTextEdit pane;
  QTextBlockFormat band;
  band.setBackground(Qt::yellow);
  for (int i = 1; i <= 200; ++i) {
    RichAddLine(&pane, ("line " + std::to_string(i)).c_str(), 0);
    if (i == 1 || i == 15) QTextCursor(pane.document()->lastBlock()).mergeBlockFormat(band);
  }
  EXPECT_EQ(pane.document()->blockCount(), 200);
  RichAddLine(&pane, "line 201", 0);
  EXPECT_EQ(pane.document()->blockCount(), 191);
  EXPECT_EQ(pane.document()->firstBlock().text(), "line 11 ");
  EXPECT_EQ(pane.document()->lastBlock().text(), "line 201 ");
  std::vector<int> banded;
  for (QTextBlock block = pane.document()->begin(); block.isValid(); block = block.next())
    if (block.blockFormat().background().style() != Qt::NoBrush) banded.push_back(block.blockNumber());
  EXPECT_EQ(banded, std::vector<int>{4});  // line 15
}
