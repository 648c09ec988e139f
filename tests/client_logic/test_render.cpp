#include <gtest/gtest.h>

#include <QMetaEnum>

#include <climits>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <functional>
#include <set>

#include "C_datas.h"
#include "C_socket.h"
#include "U_codepage.h"
#include "U_panelook.h"
#include "U_render.h"
#include "scratch_registry.h"
#include "winsock_errors.h"

namespace {

std::string Cp949(const char* utf8) { return EncodeText(QString::fromUtf8(utf8)); }

struct Case {
  std::function<std::optional<TOutLine>()> render;
  TOutTarget where;
  std::string name;
  int kind;
  std::string text;  // UTF-8 here, expected in CP949
};

void Check(const Case& c, size_t index) {
  SCOPED_TRACE(index);
  const auto line = c.render();
  ASSERT_EQ(line.has_value(), c.where != TOutTarget::None);
  if (!line) return;
  EXPECT_EQ(line->where, c.where);
  EXPECT_EQ(line->name, c.name);
  EXPECT_EQ(line->kind, c.kind);
  EXPECT_EQ(line->text, Cp949(c.text.c_str()));
}

void CheckAll(std::initializer_list<Case> cases) {
  size_t index = 0;
  for (const Case& c : cases) Check(c, index++);
}

stCTCP Ctcp(const char* keyword, const char* params, const char* channel = "") {
  stCTCP record{};
  strcpy(record.nick, "bob");
  strcpy(record.ctcp, keyword);
  strcpy(record.params, params);
  strcpy(record.channel, channel);
  return record;
}

std::optional<TOutLine> Standard(const char* line) {
  stIRC record;
  CZoAnalysis::Parse(line, &record);
  return RenderStandardReply(record);
}

}  // namespace

TEST(Render, EveryHandlerWritesItsLineToItsWindow) {
  using T = TOutTarget;
  CheckAll({
      {[] { return RenderPrivmsg("bob", "#c", "hi"); }, T::Channel, "#c", 5, "<bob> hi"},
      {[] { return RenderPrivmsg("bob", "me", "hi"); }, T::Query, "bob", 5, "<bob> hi"},
      {[] { return RenderNotice("bob", "#c", "n"); }, T::Channel, "#c", 4, "-bob- n"},
      {[] { return RenderNotice("irc.srv", "me", "n"); }, T::Active, "", 4, "-irc.srv- n"},
      {[] { return RenderCtcp(Ctcp("PING", "123")); }, T::Active, "", 2, "[bob PING]: 123"},
      {[] { return RenderCtcp(Ctcp("ACTION", "waves", "#c")); }, T::Channel, "#c", 1, "* bob waves"},
      {[] { return RenderCtcp(Ctcp("ACTION", "waves")); }, T::Query, "bob", 1, "* bob waves"},
      {[] { return RenderOwnerJoin("#c"); }, T::Channel, "#c", 8, "◆ #c채널에서 대화합니다."},
      {[] { return RenderOtherJoin("#c", "bob"); }, T::Channel, "#c", 8, "◆ #c채널에 bob님께서 입장하셨습니다"},
      {[] { return RenderOtherPart("#c", "bob"); }, T::Channel, "#c", 9, "◆ #c채널의 bob님께서 퇴장하셨습니다"},
      {[] { return RenderOtherQuit("#c", "bob"); }, T::Channel, "#c", 13, "◆ bob님이 서버를 떠나셨습니다."},
      {[] { return RenderKick("#c", "op", "bob", "bye", "me"); }, T::Channel, "#c", 10,
       "◆ bob님이 op님께 쫓겨났습니다. (bye)"},
      {[] { return RenderKick("#c", "op", "ME", "bye", "me"); }, T::Active, "", 10,
       "◆ #c채널에서 op님께 쫓겨났습니다. (bye)"},
      {[] { return RenderNick("bob", "rob"); }, T::Renamed, "rob", 12, "◆ bob님의 대화명이 rob으로 바뀌었습니다."},
      {[] { return RenderInvite(":#c", "bob"); }, T::Active, "", 7,
       "◆ bob님이 초청합니다. 입장 하시려면 'JOIN #c'를 입력하세요"},
      {[] { return RenderMode("#c", "op", ":+o bob"); }, T::Channel, "#c", 11, "◆ op님이 +o bob 를 지정했습니다."},
      {[] { return RenderMode("me", "me", "+i"); }, T::Active, "", 11, "◆ me님이 +i 를 지정했습니다."},
      {[] { return RenderTopic("#c", "bob", "news"); }, T::Channel, "#c", 14,
       "◆ bob님께서 채널 주제를 news로 변경했습니다"},
      {[] { return RenderNTopic("#c", "news"); }, T::Channel, "#c", 14, "◆ 채널의 주제는 'news'입니다."},
      {[] { return RenderNumeric("433", "bob :In use"); }, T::Active, "", 4, "◆ ERROR(433) bob :In use"},
      {[] { return RenderNumeric("400", "me CAP :Unknown"); }, T::Active, "", 4, "◆ ERROR(400) me CAP :Unknown"},
      {[] { return RenderNumeric("372", ":- motd"); }, T::None, "", 0, ""},
      {[] { return Standard(":s FAIL PRIVMSG INVALID_UTF8 :Message rejected"); }, T::Active, "", 4,
       "◆ FAIL(PRIVMSG INVALID_UTF8) Message rejected"},
      {[] { return Standard("WARN REHASH CERTS_EXPIRED certs :Certificate expired"); }, T::Active, "", 4,
       "◆ WARN(REHASH CERTS_EXPIRED) Certificate expired"},
      {[] { return Standard("NOTE * X"); }, T::Active, "", 4, "◆ NOTE(* X) "},
      {[] { return Standard(":s PRIVMSG #c :x"); }, T::None, "", 0, ""},
      {[] { return RenderNumeric("NOTICE", "x"); }, T::None, "", 0, ""},
      {[] { return RenderList(321); }, T::Active, "", 16, "◆ 채널 리스트를 받고 있습니다... 기다려 주십시오."},
      {[] { return RenderList(323); }, T::Active, "", 16, "◆ 채널 리스트를 다 받았습니다."},
  });
}

TEST(Render, WhoisRepliesByCode) {
  setenv("TZ", "UTC", 1);
  tzset();
  const auto whois = [](int code, const char* text) { return [=] { return RenderWhois(code, text); }; };
  const auto A = TOutTarget::Active;
  const auto none = TOutTarget::None;
  CheckAll({
      {whois(311, "bob u h * :Bob"), A, "", 15, "◆ bob님의 username, host, realname - u h * :Bob"},
      {whois(312, "bob irc.srv :Info"), A, "", 15, "◆ bob님의 서버이용 - irc.srv :Info"},
      {whois(330, "bob bobacct :is logged in as"), A, "", 15, "◆ bob님의 계정: bobacct"},
      {whois(314, "bob u h * :Bob"), A, "", 15, "◆ bob님의 사용기록(username host realname) - u h * :Bob"},
      {whois(315, "#c :End"), A, "", 15, "◆ #c님의 사용 조회 종료"},
      {whois(317, "bob 42 1700000000 :idle"), A, "", 15,
       "◆ bob님은 'Tue Nov 14 22:13:20 2023'로부터 42초간 잠수중 입니다."},
      {whois(317, "bob 42 0"), A, "", 15, "◆ bob님은 'Thu Jan  1 00:00:00 1970'로부터 42초간 잠수중 입니다."},
      {whois(317, "bob 42"), none, "", 0, ""},
      {whois(317, "bob 42 soon :x"), none, "", 0, ""},
      {whois(317, "bob 42 99999999999999 :x"), none, "", 0, ""},
      {whois(318, "bob :End"), A, "", 15, "◆ bob님의 사용자정보 조회 종료"},
      {whois(319, "bob :@#a #b"), A, "", 15, "◆ bob님의 입장채널 - @#a #b"},
      {whois(352, "#c u h srv bob H :0 Bob"), A, "", 15, "◆ u h srv bob H :0 Bob"},
      {whois(369, "bob :End"), A, "", 15, "◆ bob님의 사용기록 조회 종료"},
      {whois(311, "bob"), none, "", 0, ""},
      {whois(301, "bob :away"), none, "", 0, ""},
  });
}

// Every error number the user can be shown, from the socket mapping or a skin
// server's answer, comes with a reason; numbers that are no error get none.
TEST(Render, EveryErrorNumberComesWithItsReason) {
  const QMetaEnum errors = QMetaEnum::fromType<QAbstractSocket::SocketError>();
  for (int i = 0; i < errors.keyCount(); ++i) {
    const int code = WinSockErrorFor(static_cast<QAbstractSocket::SocketError>(errors.value(i)));
    if (code != 0) {
      EXPECT_NE(ErrorReason(code), nullptr) << errors.key(i);
    }
  }
  for (int code : {WSAEACCES, WSAEINVAL, WSAEMSGSIZE, WSAEOPNOTSUPP, WSAEADDRINUSE, WSAEADDRNOTAVAIL, WSAENETDOWN,
                   WSAECONNABORTED, WSAECONNRESET, WSAENOBUFS, WSAETIMEDOUT, WSAECONNREFUSED, WSAEHOSTUNREACH,
                   WSAHOST_NOT_FOUND})
    EXPECT_NE(ErrorReason(code), nullptr) << code;
  for (int status = 300; status < 600; ++status) EXPECT_NE(ErrorReason(status), nullptr) << status;
  for (int code : {0, 200, 299, 600, 10000, -1}) EXPECT_EQ(ErrorWithReason(code), std::to_string(code));
  EXPECT_EQ(RenderSocketError(10061).text, Cp949("IRC-Error : 10061 (연결이 거부되었습니다)"));
  EXPECT_EQ(RenderSocketError(10061).kind, kKindState);
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
}

namespace {

std::string NickIn(const TOutLine& line) { return line.text.substr(line.nickAt, line.nickLength); }

// WCAG contrast of a colour against white.
double ContrastOnWhite(uint32_t rgb) {
  const auto channel = [](uint32_t value) {
    const double c = value / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
  };
  const double light =
      0.2126 * channel(rgb >> 16 & 0xFF) + 0.7152 * channel(rgb >> 8 & 0xFF) + 0.0722 * channel(rgb & 0xFF);
  return 1.05 / (light + 0.05);
}

}  // namespace

// The speaker's nick is found in the composed line even where composing has
// changed its coding, and its colour depends on the nick alone.
TEST(Render, SpeakersKeepOneColourWhereverTheySpeak) {
  const auto channel = RenderChannelMessage("Bob", "#c", "hi me", "me");
  const auto query = RenderPrivmsg("bOB", "me", "psst");
  const auto notice = RenderNotice("a-b", "#c", "- dashes -");
  EXPECT_EQ(NickIn(*channel), "Bob");
  EXPECT_EQ(NickIn(*query), "bOB");
  EXPECT_EQ(NickIn(*notice), "a-b");
  EXPECT_EQ(channel->nickColour, query->nickColour);
  EXPECT_EQ(channel->nickColour, NickColor("BOB"));
  const std::string korean = Cp949("철수");
  const auto utf8Line = RenderPrivmsg(korean.c_str(), "#c", "안녕 \xF0\x9F\x98\x80");
  EXPECT_EQ(NickIn(*utf8Line), "철수");
  EXPECT_EQ(utf8Line->nickColour, NickColor(korean));
  EXPECT_EQ(RenderOwnMessage(TOutTarget::Channel, "#c", "me", "mine").nickLength, 0u);

  std::set<uint32_t> used;
  for (int i = 0; i < 200; ++i) used.insert(NickColor("nick" + std::to_string(i)));
  EXPECT_EQ(used.size(), NickPalette().size());  // nicks spread over the whole palette
  for (const uint32_t colour : NickPalette()) {
    EXPECT_GE(ContrastOnWhite(colour), 4.5) << std::hex << colour;
    for (int kind = 0; kind <= kKindMention; ++kind) EXPECT_NE(colour, KindColor(kind)) << std::hex << colour;
  }
}

TEST(Render, PaneLookFollowsTheSettingsWithinBounds) {
  ScratchRegistry registry;  // the settings are saved when they go
  CDatas settings;
  EXPECT_TRUE(PaneLookOf(settings).stamps && PaneLookOf(settings).nickColours);
  EXPECT_EQ(PaneLookOf(settings).lines, 2000);
  settings.Timestamps = 0;
  settings.NickColors = 0;
  for (const auto& [set, kept] : {std::pair{50, 200}, {-1, 200}, {5000, 5000}, {INT32_MAX, kPaneLinesMax}}) {
    settings.PaneLines = set;
    EXPECT_EQ(PaneLookOf(settings).lines, kept) << set;
  }
  EXPECT_FALSE(PaneLookOf(settings).stamps || PaneLookOf(settings).nickColours);
}
