#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>

#include "U_codepage.h"
#include "U_render.h"

namespace {

std::string Cp949(const char* utf8) { return EncodeText(QString::fromUtf8(utf8)); }

struct Case {
  const char* label;
  std::function<std::optional<TOutLine>()> render;
  TOutTarget where;
  std::string name;
  int kind;
  std::string text;  // exact bytes
};

void Check(const Case& c) {
  SCOPED_TRACE(c.label);
  const auto line = c.render();
  if (c.where == TOutTarget::None) {
    EXPECT_FALSE(line.has_value());
    return;
  }
  ASSERT_TRUE(line.has_value());
  EXPECT_EQ(line->where, c.where);
  EXPECT_EQ(line->name, c.name);
  EXPECT_EQ(line->kind, c.kind);
  EXPECT_EQ(line->text, c.text);
}

stCTCP Ctcp(const char* nick, const char* keyword, const char* params) {
  stCTCP record{};
  strcpy(record.nick, nick);
  strcpy(record.ctcp, keyword);
  strcpy(record.params, params);
  return record;
}

}  // namespace

TEST(Render, EveryHandlerWritesItsLineToItsWindow) {
  using T = TOutTarget;
  const Case cases[] = {
      {"channel message", [] { return RenderPrivmsg("bob", "#c", "hi"); }, T::Channel, "#c", 5, "<bob> hi"},
      {"& channel", [] { return RenderPrivmsg("bob", "&c", "hi"); }, T::Channel, "&c", 5, "<bob> hi"},
      {"private message opens the sender's query", [] { return RenderPrivmsg("bob", "me", "hi"); }, T::Query,
       "bob", 5, "<bob> hi"},
      {"channel notice", [] { return RenderNotice("bob", "#c", "n"); }, T::Channel, "#c", 4, "-bob- n"},
      {"private notice", [] { return RenderNotice("irc.srv", "me", "n"); }, T::Active, "", 4, "-irc.srv- n"},
      {"ctcp with arguments", [] { return RenderCtcp(Ctcp("bob", "PING", "123")); }, T::Active, "", 2,
       "[bob PING]: 123"},
      {"ctcp alone", [] { return RenderCtcp(Ctcp("bob", "VERSION", "")); }, T::Active, "", 2, "[bob VERSION]"},
      {"own join", [] { return RenderOwnerJoin("#c"); }, T::Channel, "#c", 8,
       Cp949("◆ #c채널에서 대화합니다.")},
      {"other join", [] { return RenderOtherJoin("#c", "bob"); }, T::Channel, "#c", 8,
       Cp949("◆ #c채널에 bob님께서 입장하셨습니다")},
      {"other part", [] { return RenderOtherPart("#c", "bob"); }, T::Channel, "#c", 9,
       Cp949("◆ #c채널의 bob님께서 퇴장하셨습니다")},
      {"quit goes to the channels that held the nick", [] { return RenderOtherQuit("bob"); }, T::Members, "bob",
       13, Cp949("◆ bob님이 서버를 떠나셨습니다.")},
      {"kick of another", [] { return RenderKick("#c", "op", "bob", "bye", "me"); }, T::Channel, "#c", 10,
       Cp949("◆ bob님이 op님께 쫓겨났습니다. (bye)")},
      {"own kick, nick in other case", [] { return RenderKick("#c", "op", "ME", "bye", "me"); }, T::Active, "",
       10, Cp949("◆ #c채널에서 op님께 쫓겨났습니다. (bye)")},
      {"nick change", [] { return RenderNick("bob", "rob"); }, T::Renamed, "bob", 12,
       Cp949("◆ bob님의 대화명이 rob으로 바뀌었습니다.")},
      {"invite names the channel without its colon", [] { return RenderInvite(":#c", "bob"); }, T::Active, "", 7,
       Cp949("◆ bob님이 초청합니다. 입장 하시려면 'JOIN #c'를 입력하세요")},
      {"channel mode", [] { return RenderMode("#c", "op", ":+o bob"); }, T::Channel, "#c", 11,
       Cp949("◆ op님이 +o bob 를 지정했습니다.")},
      {"user mode", [] { return RenderMode("me", "me", "+i"); }, T::Active, "", 11,
       Cp949("◆ me님이 +i 를 지정했습니다.")},
      {"topic change", [] { return RenderTopic("#c", "bob", "news"); }, T::Channel, "#c", 14,
       Cp949("◆ bob님께서 채널 주제를 news로 변경했습니다")},
      {"topic reply", [] { return RenderNTopic("#c", "news"); }, T::Channel, "#c", 14,
       Cp949("◆ 채널의 주제는 'news'입니다.")},
      {"error numeric", [] { return RenderNumeric("433", "bob :Nickname already in use"); }, T::Active, "", 4,
       Cp949("◆ ERROR(433) bob :Nickname already in use")},
      {"numeric below 401", [] { return RenderNumeric("372", ":- motd"); }, T::None, "", 0, ""},
      {"command word", [] { return RenderNumeric("NOTICE", "x"); }, T::None, "", 0, ""},
      {"list start", [] { return RenderList(321); }, T::Active, "", 16,
       Cp949("◆ 채널 리스트를 받고 있습니다... 기다려 주십시오.")},
      {"list row", [] { return RenderList(322); }, T::None, "", 0, ""},
      {"list end", [] { return RenderList(323); }, T::Active, "", 16, Cp949("◆ 채널 리스트를 다 받았습니다.")},
  };
  for (const Case& c : cases) Check(c);
  EXPECT_EQ(OwnerJoinRequest("#c"), "MODE #c\r\n");
}

TEST(Render, WhoisRepliesByCode) {
  setenv("TZ", "UTC", 1);
  tzset();
  using T = TOutTarget;
  const auto whois = [](int code, const char* text) { return [=] { return RenderWhois(code, text); }; };
  const Case cases[] = {
      {"311", whois(311, "bob u h * :Bob"), T::Active, "", 15,
       Cp949("◆ bob님의 username, host, realname - u h * :Bob")},
      {"312", whois(312, "bob irc.srv :Info"), T::Active, "", 15, Cp949("◆ bob님의 서버이용 - irc.srv :Info")},
      {"313", whois(313, "bob :is an operator"), T::Active, "", 15, Cp949("◆ bob님은 서버 오퍼레이터 입니다.")},
      {"314", whois(314, "bob u h * :Bob"), T::Active, "", 15,
       Cp949("◆ bob님의 사용기록(username host realname) - u h * :Bob")},
      {"315", whois(315, "#c :End"), T::Active, "", 15, Cp949("◆ #c님의 사용 조회 종료")},
      {"317", whois(317, "bob 42 1700000000 :seconds idle"), T::Active, "", 15,
       Cp949("◆ bob님은 'Tue Nov 14 22:13:20 2023'로부터 42초간 잠수중 입니다.")},
      {"317 sign-on at the end", whois(317, "bob 42 0"), T::Active, "", 15,
       Cp949("◆ bob님은 'Thu Jan  1 00:00:00 1970'로부터 42초간 잠수중 입니다.")},
      {"317 without a space after the idle seconds", whois(317, "bob 42"), T::None, "", 0, ""},
      {"317 sign-on no number", whois(317, "bob 42 soon :x"), T::None, "", 0, ""},
      {"317 sign-on past year 9999", whois(317, "bob 42 99999999999999 :x"), T::None, "", 0, ""},
      {"318", whois(318, "bob :End"), T::Active, "", 15, Cp949("◆ bob님의 사용자정보 조회 종료")},
      {"319 drops the colon", whois(319, "bob :@#a #b"), T::Active, "", 15,
       Cp949("◆ bob님의 입장채널 - @#a #b")},
      {"319 with nothing after the space", whois(319, "bob "), T::Active, "", 15,
       Cp949("◆ bob님의 입장채널 - ")},
      {"352", whois(352, "#c u h srv bob H :0 Bob"), T::Active, "", 15, Cp949("◆ u h srv bob H :0 Bob")},
      {"369", whois(369, "bob :End"), T::Active, "", 15, Cp949("◆ bob님의 사용기록 조회 종료")},
      {"no space", whois(311, "bob"), T::None, "", 0, ""},
      {"unknown code", whois(301, "bob :away"), T::None, "", 0, ""},
  };
  for (const Case& c : cases) Check(c);
}

TEST(Render, ServerTextIsCopiedNotInterpreted) {
  const char* utf8Text = "안녕 \xF0\x9F\x98\x80 %s%n \x02" "bold";
  // UTF-8 server text keeps its bytes; the literal joins it in UTF-8 so the
  // pane, which decodes a line as one, shows both.
  EXPECT_EQ(RenderPrivmsg("bob", "#c", utf8Text)->text, std::string("<bob> ") + utf8Text);
  EXPECT_EQ(RenderTopic("#c", "bob", "주제 \xF0\x9F\x98\x80")->text,
            "◆ bob님께서 채널 주제를 주제 \xF0\x9F\x98\x80로 변경했습니다");
  const std::string korean = Cp949("철수");
  EXPECT_EQ(RenderTopic("#c", korean.c_str(), "주제")->text, "◆ 철수님께서 채널 주제를 주제로 변경했습니다");
  EXPECT_EQ(RenderTopic("#c", korean.c_str(), "plain")->text, Cp949("◆ 철수님께서 채널 주제를 plain로 변경했습니다"));
  // Missing arguments show as empty, never crash.
  EXPECT_EQ(RenderPrivmsg(nullptr, nullptr, nullptr)->text, "<> ");
  EXPECT_FALSE(RenderWhois(311, nullptr).has_value());
}

TEST(Render, LongLinesAreCutWholeCharacters) {
  std::string cp949;
  for (int i = 0; i < 400; ++i) cp949 += Cp949("가");
  const std::string cut = RenderPrivmsg("bob", "#c", cp949.c_str())->text;
  EXPECT_EQ(cut.size(), 511u - (511u - 6u) % 2u);  // "<bob> " then whole pairs
  EXPECT_FALSE(DecodeDisplay(cut.c_str()).contains(QChar::ReplacementCharacter));

  std::string utf8;
  for (int i = 0; i < 300; ++i) utf8 += "가";
  const std::string cutUtf8 = RenderNotice("bob", "#c", utf8.c_str())->text;
  EXPECT_LE(cutUtf8.size(), 511u);
  EXPECT_GE(cutUtf8.size(), 509u);
  EXPECT_EQ(DisplayCoding(cutUtf8.data(), cutUtf8.size()), TextCoding::Utf8);

  const std::string longWhois = "bob 1 1700000000" + std::string(2000, '9') + " :x";
  EXPECT_FALSE(RenderWhois(317, longWhois.c_str()).has_value());
  EXPECT_EQ(OwnerJoinRequest(std::string(600, '#').c_str()).size(), 512u);
}
