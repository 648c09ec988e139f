// CP949 and UTF-8 on their way into Qt and back, and cutting without splitting.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "U_codepage.h"

namespace {

const QString kHello = QString::fromUtf8("안녕하세요");
const std::string kHelloCp949 = "\xBE\xC8\xB3\xE7\xC7\xCF\xBC\xBC\xBF\xE4";

QString Decode(const std::string& bytes) { return DecodeDisplay(bytes.data(), bytes.size()); }

}  // namespace

TEST(CodePage, DisplayDecoderTellsUtf8FromCp949) {
  const std::string utf8 = kHello.toUtf8().toStdString();
  EXPECT_EQ(Decode(utf8), kHello);
  EXPECT_EQ(Decode(kHelloCp949), kHello);
  // Plain ASCII, UTF-8 cut inside a character, an overlong form and a surrogate are no UTF-8.
  for (const std::string& bytes : {std::string("plain"), utf8.substr(0, utf8.size() - 1), std::string("\xC0\xAF"),
                                   std::string("\xED\xA0\x80")})
    EXPECT_EQ(DisplayCoding(bytes.data(), bytes.size()), TextCoding::Cp949) << bytes;
}

TEST(CodePage, EncoderUsesTheExtendedCodePageAndQuestionMarksForTheRest) {
  EXPECT_EQ(EncodeText(kHello + QString::fromUtf8("똠")), kHelloCp949 + "\x8C\x63");
  EXPECT_EQ(EncodeText(QString::fromUtf8("a😀b\u0E01c")), "a?b?c");
}

TEST(CodePage, CutterNeverSplitsADoubleByteCharacter) {
  const std::string text = "a" + kHelloCp949.substr(0, 4) + "b";  // a, two syllables, b
  const std::pair<size_t, size_t> cuts[] = {{0, 0}, {2, 1}, {3, 3}, {4, 3}, {100, text.size()}};
  for (const auto& [limit, length] : cuts)
    EXPECT_EQ(Cp949CutLength(text.data(), text.size(), limit), length) << limit;
  // A lead byte whose trail is no trail byte stands alone.
  EXPECT_EQ(Cp949CutLength("\xBE\x20x", 3, 1), 1u);
}
