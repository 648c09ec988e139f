#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextEdit>
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "U_lib.h"

namespace {

// The format of the character at `position` of the pane's plain text.
QTextCharFormat FormatAt(QTextEdit& pane, int position) {
  QTextCursor cursor(pane.document());
  cursor.setPosition(position + 1);
  return cursor.charFormat();
}

uint32_t ColorAt(QTextEdit& pane, int position) {
  return FormatAt(pane, position).foreground().color().rgb() & 0xFFFFFF;
}

std::vector<std::string> DefaultAliases() {
  std::vector<std::string> aliases;
  SplitString("TO=PRIVMSG;MSG=PRIVMSG;QUERY=PRIVMSG;J=JOIN;P=PART;N=NICK;AL=NICK;L=LIST;W=WHOIS;ST=LIST",
              aliases, ';');
  aliases.push_back("JOIN=JOIN");
  aliases.push_back("PART=PART");
  return aliases;
}

std::string Stripped(std::string text) {
  StripCodes(text.data());
  return text.c_str();
}

}  // namespace

TEST(RichAddLine, ColourCodesAreDarkenedForTheLightPane) {
  QTextEdit pane;
  RichAddLine(&pane, "a\x03" "8b\x03" "0,4c\x03" "d\x03" "123", KindColor(2));
  EXPECT_EQ(pane.toPlainText(), "abcd3 ");
  EXPECT_EQ(ColorAt(pane, 0), 0xFF0000u);  // the line's own colour
  EXPECT_EQ(ColorAt(pane, 1), 0xFF7F00u);  // yellow shows orange
  EXPECT_EQ(ColorAt(pane, 2), 0xFF0000u);  // white on red shows red
  EXPECT_EQ(ColorAt(pane, 3), 0x000000u);  // no digits: black, only the byte 3 taken
  EXPECT_EQ(ColorAt(pane, 4), 0x0000FFu);  // two digits read, the third is text
}

TEST(RichAddLine, StyleCodesToggleAndBellBytesVanish) {
  QTextEdit pane;
  RichAddLine(&pane, "\x02" "b\x02n\x16i\x16\x1Fu\x1F\x07\x08\x0Fz", 0);
  EXPECT_EQ(pane.toPlainText(), QString::fromLatin1("bniu\x0Fz "));
  EXPECT_EQ(FormatAt(pane, 0).fontWeight(), QFont::Bold);
  EXPECT_EQ(FormatAt(pane, 1).fontWeight(), QFont::Normal);
  EXPECT_TRUE(FormatAt(pane, 2).fontItalic());
  EXPECT_TRUE(FormatAt(pane, 3).fontUnderline());
  EXPECT_FALSE(FormatAt(pane, 4).fontUnderline());
}

TEST(RichAddLine, LinesStackAndThePaneKeepsItsLastLines) {
  QTextEdit pane;
  RichAddLine(&pane, "first", 0);
  EXPECT_EQ(pane.toPlainText(), "first ");
  RichAddLine(&pane, "\xBE\xC8\xB3\xE7", 0);  // CP949
  RichAddLine(&pane, "\xEC\x95\x88\xEB\x85\x95", 0);  // UTF-8
  EXPECT_EQ(pane.toPlainText(), QString::fromUtf8("first \n안녕 \n안녕 "));

  QTextEdit full;
  for (int i = 1; i <= 200; ++i) RichAddLine(&full, ("line " + std::to_string(i)).c_str(), 0);
  EXPECT_EQ(full.document()->blockCount(), 200);
  RichAddLine(&full, "line 201", 0);
  EXPECT_EQ(full.document()->blockCount(), 191);
  EXPECT_EQ(full.document()->firstBlock().text(), "line 11 ");
  EXPECT_EQ(full.document()->lastBlock().text(), "line 201 ");
  EXPECT_TRUE(full.textCursor().atEnd());
}

TEST(ColorCodes, PaneIndexMapping) {
  EXPECT_EQ(RichColorIndex({11, -1}), 2);
  EXPECT_EQ(RichColorIndex({9, -1}), 10);
  EXPECT_EQ(RichColorIndex({14, 1}), 2);
  EXPECT_EQ(RichColorIndex({15, 1}), 2);
  EXPECT_EQ(RichColorIndex({15, 2}), 14);
  EXPECT_EQ(RichColorIndex({0, 15}), 14);
  EXPECT_EQ(RichColorIndex({0, -1}), 1);
  EXPECT_EQ(RichColorIndex({99, -1}), 1);
}

TEST(ColorCodes, ReaderStopsWhereTheCodeEnds) {
  const char* text = "12,345";
  const char* position = text;
  TColorCode code = ReadColorCode(position);
  EXPECT_EQ(code.fore, 12);
  EXPECT_EQ(code.back, 34);
  EXPECT_STREQ(position, "5");

  position = ",7,8";
  code = ReadColorCode(position);
  EXPECT_EQ(code.fore, -1);
  EXPECT_EQ(code.back, 7);
  EXPECT_STREQ(position, ",8");

  position = "4";
  ApplyCanvasColorCode(nullptr, position);  // no canvas: only reads
  EXPECT_STREQ(position, "");
}

TEST(DrawCodedText, ColourCodesPaintTextAndBackground) {
  QImage image(200, 40, QImage::Format_RGB32);
  image.fill(Qt::white);
  QPainter painter(&image);
  // Red text on yellow; 30 wraps to "no change", so the background stays yellow.
  DrawCodedText(&painter, 2, 2, true, "\x03" "4,8WWWW\x03" "30,30W");
  painter.end();
  bool red = false, yellow = false;
  for (int y = 0; y < image.height(); ++y)
    for (int x = 0; x < image.width(); ++x) {
      red = red || image.pixel(x, y) == qRgb(255, 0, 0);
      yellow = yellow || image.pixel(x, y) == qRgb(255, 255, 0);
    }
  EXPECT_TRUE(red);
  EXPECT_TRUE(yellow);
}

TEST(StripCodes, RemovesCodesAndColourDigitsOnly) {
  EXPECT_EQ(Stripped("\x02" "bold\x02 \x03" "4,12red\x03 x\x1Fu\x16i\x07\x0F"), "bold red xui\x07\x0F");
  EXPECT_EQ(Stripped("\x03" "123"), "3");
  EXPECT_EQ(Stripped("\x03" ",5,6"), ",6");
  EXPECT_EQ(Stripped("\x03"), "");
  EXPECT_EQ(Stripped("plain"), "plain");
}

TEST(Expand, DefaultAliasTable) {
  const std::vector<std::string> aliases = DefaultAliases();
  const MCommandProcedure aliasProcessor(aliases);
  EXPECT_EQ(aliasProcessor.Expand("/j chat"), "JOIN #chat");
  EXPECT_EQ(aliasProcessor.Expand("/J"), "JOIN");
  EXPECT_EQ(aliasProcessor.Expand("/part #a"), "PART #a");
  EXPECT_EQ(aliasProcessor.Expand("/p &local"), "PART &local");
  EXPECT_EQ(aliasProcessor.Expand("/msg friend hello there"), "PRIVMSG friend :hello there");
  EXPECT_EQ(aliasProcessor.Expand("/msg friend"), "PRIVMSG friend");
  EXPECT_EQ(aliasProcessor.Expand("/w friend"), "WHOIS friend");
  EXPECT_EQ(aliasProcessor.Expand("/quit bye"), "quit bye");
  EXPECT_EQ(aliasProcessor.Expand("/"), "");
  EXPECT_EQ(aliasProcessor.Expand(""), "");
  EXPECT_EQ(aliasProcessor.Expand("mode #a +o x"), "mode #a +o x");
}

TEST(Expand, LastEntryWinsAndKeysIgnoreCase) {
  const std::vector<std::string> aliases = {"x=privmsg", "noequals", "J=JOIN", "j=part"};
  const MCommandProcedure aliasProcessor(aliases);
  EXPECT_EQ(aliasProcessor.Expand("/X nick some text"), "privmsg nick :some text");
  EXPECT_EQ(aliasProcessor.Expand("/J room"), "part #room");
  EXPECT_EQ(aliasProcessor.Expand("/noequals"), "noequals");
}

TEST(StringLists, SplitSkipsEmptyPiecesAndJoinEndsEachEntry) {
  std::vector<std::string> list = {"stale"};
  SplitString("J=JOIN;;X=PRIVMSG;", list, ';');
  EXPECT_EQ(list, (std::vector<std::string>{"J=JOIN", "X=PRIVMSG"}));
  EXPECT_EQ(JoinStrings(list, ';'), "J=JOIN;X=PRIVMSG;");
  SplitString("", list, ';');
  EXPECT_TRUE(list.empty());
  EXPECT_EQ(JoinStrings(list, ';'), "");
}

TEST(SmallHelpers, NickPrefixAndTimeStamp) {
  EXPECT_STREQ(StripNickPrefix("@op"), "op");
  EXPECT_STREQ(StripNickPrefix("+voice"), "voice");
  EXPECT_STREQ(StripNickPrefix("@+both"), "+both");
  EXPECT_STREQ(StripNickPrefix("plain"), "plain");
  EXPECT_STREQ(StripNickPrefix(""), "");
  EXPECT_TRUE(QRegularExpression("^\\[\\d\\d:\\d\\d\\] $").match(TimeStamp()).hasMatch());
}
