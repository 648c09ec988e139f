#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "U_codepage.h"

namespace {

const QString kHello = QString::fromUtf8("안녕하세요");
const std::string kHelloCp949 = "\xBE\xC8\xB3\xE7\xC7\xCF\xBC\xBC\xBF\xE4";

QString Decode(const std::string& bytes) { return DecodeDisplay(bytes.data(), bytes.size()); }

}  // namespace

TEST(CodePage, KoreanRoundTripsThroughCp949) {
  EXPECT_EQ(EncodeText(kHello), kHelloCp949);
  EXPECT_EQ(Decode(kHelloCp949), kHello);
  // A syllable only the extended code page has.
  const QString extended = QString::fromUtf8("똠");
  EXPECT_EQ(EncodeText(extended), "\x8C\x63");
  EXPECT_EQ(Decode("\x8C\x63"), extended);
}

TEST(CodePage, CharactersCp949LacksBecomeQuestionMarks) {
  EXPECT_EQ(EncodeText(QString::fromUtf8("a😀b\u0E01c")), "a?b?c");
  EXPECT_EQ(EncodeText(QString()), "");
}

TEST(CodePage, DisplayDecoderTellsUtf8FromCp949) {
  const std::string utf8 = kHello.toUtf8().toStdString();
  EXPECT_EQ(DisplayCoding(utf8.data(), utf8.size()), TextCoding::Utf8);
  EXPECT_EQ(Decode(utf8), kHello);
  EXPECT_EQ(DisplayCoding(kHelloCp949.data(), kHelloCp949.size()), TextCoding::Cp949);
  EXPECT_EQ(DisplayCoding("plain", 5), TextCoding::Cp949);
  // UTF-8 cut in the middle of a character is no longer UTF-8.
  const std::string cut = utf8.substr(0, utf8.size() - 1);
  EXPECT_EQ(DisplayCoding(cut.data(), cut.size()), TextCoding::Cp949);
  // Overlong forms and surrogates are not valid UTF-8 either.
  EXPECT_EQ(DisplayCoding("\xC0\xAF", 2), TextCoding::Cp949);
  EXPECT_EQ(DisplayCoding("\xED\xA0\x80", 3), TextCoding::Cp949);
}

TEST(CodePage, InvalidBytesDecodeAsReplacementAndNothingIsLost) {
  const QChar replacement(0xFFFD);
  EXPECT_EQ(Decode("\x80" "ab"), QString(replacement) + "ab");
  EXPECT_EQ(Decode("ab\xBE"), "ab" + QString(replacement));  // lead byte without its trail
  EXPECT_EQ(Decode(std::string("a\0b", 3)), QString::fromUtf8("a\0b", 3));
  EXPECT_EQ(DecodeDisplay(nullptr), QString());
}

TEST(CodePage, LiteralsAreConvertedOnceAndStay) {
  const char* first = Cp949Literal("◆ 안녕하세요");
  EXPECT_STREQ(first, ("\xA1\xDF " + kHelloCp949).c_str());
  for (int i = 0; i < 100; ++i) Cp949Literal(std::to_string(i).c_str());
  EXPECT_EQ(Cp949Literal("◆ 안녕하세요"), first);
}

TEST(CodePage, CutterNeverSplitsADoubleByteCharacter) {
  const std::string text = "a" + kHelloCp949.substr(0, 4) + "b";  // a, two syllables, b
  EXPECT_EQ(Cp949CutLength(text.data(), text.size(), 0), 0u);
  EXPECT_EQ(Cp949CutLength(text.data(), text.size(), 2), 1u);
  EXPECT_EQ(Cp949CutLength(text.data(), text.size(), 3), 3u);
  EXPECT_EQ(Cp949CutLength(text.data(), text.size(), 4), 3u);
  EXPECT_EQ(Cp949CutLength(text.data(), text.size(), 100), text.size());
  // A lead byte whose trail is no trail byte stands alone.
  EXPECT_EQ(Cp949CutLength("\xBE\x20x", 3, 1), 1u);
  EXPECT_EQ(Cp949CutLength("x\xBE", 2, 2), 2u);
}
