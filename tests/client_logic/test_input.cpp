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

// "kind|text" and, with an echo, "|where name kind text".
std::string Describe(const TLineAction& action) {
  static const char* const kKinds[] = {"None", "Server", "Chat", "Activate", "Connect", "OpenQuery"};
  std::string shown = std::string(kKinds[static_cast<int>(action.kind)]) + "|" + action.text;
  if (!action.said.empty()) shown += "|said " + action.said;
  if (action.echo) {
    static const char* const kWhere[] = {"None", "Active", "Channel", "Query", "Chat", "All", "Members", "Renamed"};
    const TOutLine& echo = *action.echo;
    shown += std::string("|") + kWhere[static_cast<int>(echo.where)] + " " + echo.name + " " +
             std::to_string(echo.kind) + " " + echo.text;
  }
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
      // The echo goes nowhere unless a channel of that name is open.
      {query, "/AcTiOn waves hi", "Server|PRIVMSG bob :\1ACTION waves hi\1\r\n|Channel bob 1 * me waves hi"},
      {channel, "/MEwaves", "Server|MEwaves\r\n"},
      {none, "/j chat", "Server|JOIN #chat\r\n"},
      {none, "/join #OPEN", "Activate|#OPEN"},
      {channel, "/join #open key", "Server|join #open key\r\n"},
      {channel, "/", "None|"},
      {channel, "hi\nQUIT :x", "Server|PRIVMSG #c :hi\r\n|Channel #c 6 <me> hi"},
      {none, "/join #a\rQUIT", "Server|join #a\r\n"},
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
  };
  for (const auto& c : cases) EXPECT_EQ(Describe(ProcessLine(c.line, c.context)), c.expected) << c.line;
  EXPECT_EQ(ProcessLine("hi", chat).chatId, 3);
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

TEST(Input, PasteSendsEachLineAsText) {
  const TFront channel{TFrontKind::Channel, "#c", -1};
  EXPECT_FALSE(PasteLines("one line", channel, "me").has_value());
  EXPECT_FALSE(PasteLines("one line\n", channel, "me").has_value());

  const std::string longLine(512, 'x');
  const auto actions = PasteLines("a\r\n/quit\n\n" + longLine + "\n" + longLine.substr(1) + "\rb", channel, "me");
  ASSERT_TRUE(actions.has_value());
  std::vector<std::string> sent;
  for (const TLineAction& action : *actions) sent.push_back(action.text);
  const std::string cut = "PRIVMSG #c :" + longLine.substr(0, 498) + "\r\n";
  EXPECT_EQ(sent, (std::vector<std::string>{"PRIVMSG #c :a\r\n", "PRIVMSG #c :/quit\r\n", cut, cut,
                                            "PRIVMSG #c :b\r\n"}));

  EXPECT_TRUE(PasteLines("a\nb", TFront{}, "me")->empty());
  const auto chat = PasteLines("a\nb", TFront{TFrontKind::Chat, "", 4}, "me");
  ASSERT_EQ(chat->size(), 2u);
  EXPECT_EQ(Describe((*chat)[1]) + " " + std::to_string((*chat)[1].chatId), "Chat|b\r\n|Chat  6 <me> b 4");
}
