#include <gtest/gtest.h>

#include "U_codepage.h"
#include "U_commondata.h"
#include "U_input.h"
#include "U_lib.h"

namespace {

const std::vector<std::string> kAliases = {"J=JOIN", "MSG=PRIVMSG"};
const MCommandProcedure kExpander(kAliases);

TInputContext Context(TFrontKind kind, std::string name, int chat = -1) {
  TInputContext context;
  context.front = TFront{kind, std::move(name), chat};
  context.ownNick = "me";
  context.aliases = &kExpander;
  context.isChannelOpen = [](std::string_view name) { return ZoSameName(std::string(name).c_str(), "#open"); };
  context.isQueryOpen = [](std::string_view nick) { return ZoSameName(std::string(nick).c_str(), "ann"); };
  return context;
}

std::string Describe(const TOutLine& line) {
  static const char* const kWhere[] = {"None", "Active", "Status", "Channel", "Query", "Chat", "All", "Members", "Renamed"};
  return std::string("|") + kWhere[static_cast<int>(line.where)] + " " + line.name + " " + std::to_string(line.kind) +
         " " + DecodeDisplay(line.text.c_str()).toStdString();
}

// "kind|text" and, with an echo or lines shown, "|where name kind text" (UTF-8).
std::string Describe(const TLineAction& action) {
  static const char* const kKinds[] = {"None", "Server", "Chat", "Activate", "Connect", "OpenQuery", "Show", "Friends"};
  std::string shown = std::string(kKinds[static_cast<int>(action.kind)]) + "|" + action.text;
  if (!action.said.empty()) shown += "|said " + action.said;
  if (action.echo) shown += Describe(*action.echo);
  for (const TOutLine& line : action.shown) shown += Describe(line);
  return shown;
}

}  // namespace

TEST(Input, LinesBecomeActions) {
  const auto channel = Context(TFrontKind::Channel, "#c");
  const auto query = Context(TFrontKind::Query, "bob");
  const auto chat = Context(TFrontKind::Chat, "", 3);
  const auto none = Context(TFrontKind::None, "");
  const struct {
    const TInputContext& context;
    std::string line;
    std::string expected;
  } cases[] = {
      {channel, "hello", "Server|PRIVMSG #c :hello\r\n|Channel #c 6 <me> hello"},
      {query, "hi", "Server|PRIVMSG bob :hi\r\n|Query bob 6 <me> hi"},
      {chat, "hi", "Chat|hi\r\n|Chat  6 <me> hi"},
      {none, "hi", "None|"},
      {channel, "/me waves", "Server|PRIVMSG #c :\1ACTION waves\1\r\n|Channel #c 1 * me waves"},
      // In a private window the action shows there as well.
      {query, "/AcTiOn waves hi", "Server|PRIVMSG bob :\1ACTION waves hi\1\r\n|Query bob 1 * me waves hi"},
      {channel, "/MEwaves", "Server|MEwaves\r\n"},
      {none, "/j chat", "Server|JOIN #chat\r\n"},
      {none, "/join #OPEN", "Activate|#OPEN"},
      {channel, "/join #open key", "Server|JOIN #open key\r\n"},
      {channel, "/", "None|"},
      {channel, "hi\nQUIT :x", "Server|PRIVMSG #c :hi\r\n|Channel #c 6 <me> hi"},
      {none, "/join #a\rQUIT", "Server|JOIN #a\r\n"},
      {channel, std::string("hi\0QUIT", 7), "Server|PRIVMSG #c :hi\r\n|Channel #c 6 <me> hi"},
      // A typed message shows in its partner's open window, else in front naming the partner.
      {channel, "/msg ann see you", "Server|PRIVMSG ann :see you\r\n|Query ann 6 <me> see you"},
      {channel, "/msg bob see you", "Server|PRIVMSG bob :see you\r\n|Active  6 -> *bob* see you"},
      {query, "/msg #open hi all", "Server|PRIVMSG #open :hi all\r\n|Channel #open 6 <me> hi all"},
      {none, "/query  bob", "OpenQuery|bob"},
      {none, "/QUERY bob are you there", "OpenQuery|bob|said are you there"},
      {none, "/query #c", "Server|query #c\r\n"},
      {none, "/server", "Connect|"},
      {none, "/server irc.example.org:7000 extra", "Connect|irc.example.org:7000"},
      {none, "/serverx", "Server|serverx\r\n"},
      {none, "/server irc.example.org:abc", "Show||Active  16 ◆ 서버 주소가 올바르지 않습니다: irc.example.org:abc (주소[:포트], 포트는 1부터 65535까지)"},
      // Free text is the trailing parameter; channels default to the front one.
      {channel, "/away gone for lunch", "Server|AWAY :gone for lunch\r\n"},
      {none, "/AWAY", "Server|AWAY\r\n"},
      {channel, "/part", "Server|PART #c\r\n"},
      {channel, "/part see you all", "Server|PART #c :see you all\r\n"},
      {none, "/part chat", "Server|PART #chat\r\n"},
      {channel, "/quit", "Server|QUIT\r\n"},
      {channel, "/quit off to bed", "Server|QUIT :off to bed\r\n"},
      {channel, "/topic", "Server|TOPIC #c\r\n"},
      {channel, "/topic a new topic", "Server|TOPIC #c :a new topic\r\n"},
      {query, "/topic #x a new topic", "Server|TOPIC #x :a new topic\r\n"},
      {channel, "/kick bob too loud", "Server|KICK #c bob :too loud\r\n"},
      {channel, "/notice bob heads up", "Server|NOTICE bob :heads up\r\n|Active  6 -> -bob- heads up"},
      {channel, "/invite bob", "Server|INVITE bob #c\r\n"},
      {query, "/whois", "Server|WHOIS bob\r\n"},
      {channel, "/mode +m", "Server|MODE #c +m\r\n"},
      {channel, "/ctcp bob version", "Server|PRIVMSG bob :\1VERSION\1\r\n|Active  2 -> [bob] VERSION"},
      {none, "/monitor +amy,bob", "Friends|+amy,bob"},
      {none, "/MONITOR", "Friends|"},
      {none, "/monitor amy", "Show||Active  16 ◆ 사용법: /monitor [+대화명,... | -대화명,...]"},
      {none, "/list >10", "Server|LIST >10\r\n"},
      // Missing arguments: how it is used, and nothing sent.
      {none, "/kick bob", "Show||Active  16 ◆ 사용법: /kick [채널] 대화명 [사유]"},
      {none, "/topic", "Show||Active  16 ◆ 사용법: /topic [채널] [주제]"},
      {channel, "/notice bob", "Show||Active  16 ◆ 사용법: /notice 대상 메시지"},
      {channel, "/msg bob", "Show||Active  16 ◆ 사용법: /msg 대상 메시지"},
      {channel, "/j", "Show||Active  16 ◆ 사용법: /join 채널 [키]"},
  };
  for (const auto& c : cases) EXPECT_EQ(Describe(ProcessLine(c.line, c.context)), c.expected) << c.line;
  EXPECT_EQ(ProcessLine("hi", chat).chatId, 3);

  const TLineAction help = ProcessLine("/help", none);
  ASSERT_EQ(help.kind, TLineAction::Kind::Show);
  std::string shown;
  for (const TOutLine& line : help.shown) shown += DecodeDisplay(line.text.c_str()).toStdString() + "\n";
  EXPECT_NE(shown.find("◆ /away [메시지] : "), std::string::npos) << shown;
  EXPECT_EQ(shown.find("/action"), std::string::npos);
}

TEST(Input, LongLinesFitOneIrcLineAndTheEchoShowsWhatWasSent) {
  std::string korean;
  for (int i = 0; i < 400; ++i) korean += EncodeText(QString::fromUtf8("가"));
  const std::string lines[] = {"a" + korean, "/me " + korean, "/msg bob " + korean, "/quit " + korean};
  for (const auto kind : {TFrontKind::Channel, TFrontKind::Chat}) {
    for (const std::string& line : lines) {
      const TLineAction action = ProcessLine(line, Context(kind, kind == TFrontKind::Chat ? "" : "#c", 1));
      SCOPED_TRACE(action.text.substr(0, 20));
      EXPECT_LE(action.text.size(), 512u);
      EXPECT_GE(action.text.size(), 510u);
      ASSERT_EQ(action.text.substr(action.text.size() - 2), "\r\n");
      EXPECT_FALSE(DecodeDisplay(action.text.c_str()).contains(QChar::ReplacementCharacter));
      if (!action.echo) continue;
      const std::string sent = action.text.substr(action.text.find(korean.substr(0, 4)));
      const std::string shown = action.echo->text.substr(action.echo->text.find(korean.substr(0, 4)));
      EXPECT_EQ(sent.substr(0, shown.size()), shown);
      EXPECT_GE(shown.size(), 480u);
    }
  }
}

TEST(Input, PasteSendsEachLineOrOneJoinedLine) {
  const TFront channel{TFrontKind::Channel, "#c", -1};
  EXPECT_EQ(PastedLines("one line\n\r\n").size(), 1u);

  const std::string longLine(512, 'x');
  const std::string block = "a\r\n/quit\n\n" + longLine + "\n" + longLine.substr(1) + "\rb";
  const auto lines = PastedLines(block);
  std::vector<std::string> sent;
  for (const TLineAction& action : PasteEach(lines, channel, "me")) sent.push_back(action.text);
  const std::string cut = "PRIVMSG #c :" + longLine.substr(0, 498) + "\r\n";
  EXPECT_EQ(sent, (std::vector<std::string>{"PRIVMSG #c :a\r\n", "PRIVMSG #c :/quit\r\n", cut, cut,
                                            "PRIVMSG #c :b\r\n"}));
  EXPECT_EQ(PasteJoined(lines, channel, "me").text, "PRIVMSG #c :a /quit " + longLine.substr(0, 490) + "\r\n");
  EXPECT_EQ(Describe(PasteJoined(PastedLines("a\nb"), channel, "me")), "Server|PRIVMSG #c :a b\r\n|Channel #c 6 <me> a b");

  EXPECT_TRUE(PasteEach(lines, TFront{}, "me").empty());
  const auto chat = PasteEach(PastedLines("a\nb"), TFront{TFrontKind::Chat, "", 4}, "me");
  ASSERT_EQ(chat.size(), 2u);
  EXPECT_EQ(Describe(chat[1]) + " " + std::to_string(chat[1].chatId), "Chat|b\r\n|Chat  6 <me> b 4");
}
