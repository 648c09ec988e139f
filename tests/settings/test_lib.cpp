// Code removal from coded text.
#include <gtest/gtest.h>

#include <string>

#include "U_lib.h"

namespace {

std::string Stripped(std::string text) {
  StripCodes(text.data());
  return text.c_str();
}

}  // namespace

TEST(StripCodes, RemovesCodesAndColourDigitsOnly) {
  EXPECT_EQ(Stripped("\x02" "bold\x02 \x03" "4,12red\x03 x\x1Fu\x16i\x07\x0F"), "bold red xui\x07\x0F");
  EXPECT_EQ(Stripped("\x03" "123"), "3");
  EXPECT_EQ(Stripped("\x03" ",5,6"), ",6");
  EXPECT_EQ(Stripped("\x03"), "");
}
