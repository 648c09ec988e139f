// The command lines as a server reads them, the one bound every line keeps,
// and server addresses as users write them.
#include <gtest/gtest.h>

#include <QString>

#include "U_codepage.h"
#include "U_ircline.h"
#include "U_serveraddress.h"

namespace {

TEST(IrcLine, EachCommandAsTheServerReadsIt) {
  const std::vector<std::pair<std::string, std::string>> lines = {
      {Irc::User("quelbo", "Real Name"), "USER quelbo 0 0 :Real Name\r\n"},
      {Irc::Nick("me"), "NICK me\r\n"},
      {Irc::Pong("irc.example"), "PONG irc.example\r\n"},
      {Irc::Quit("bye"), "QUIT :bye\r\n"},
      {Irc::Quit(""), "QUIT\r\n"},
      {Irc::Join("#c"), "JOIN #c\r\n"},
      {Irc::Join("#c", "key"), "JOIN #c key\r\n"},
      {Irc::Part("#c"), "PART #c\r\n"},
      {Irc::List(), "LIST\r\n"},
      {Irc::Whois("bob"), "WHOIS bob\r\n"},
      {Irc::Privmsg("#c", "hi there"), "PRIVMSG #c :hi there\r\n"},
      {Irc::Notice("bob", "psst"), "NOTICE bob :psst\r\n"},
      {Irc::Action("#c", "waves"), "PRIVMSG #c :\1ACTION waves\1\r\n"},
      {Irc::Ctcp("bob", "DCC CHAT chat 1 2"), "PRIVMSG bob :\1DCC CHAT chat 1 2\1\r\n"},
      {Irc::Mode("#c"), "MODE #c\r\n"},
      {Irc::Mode("#c", "+tk key"), "MODE #c +tk key\r\n"},
      {Irc::ChannelModes("#c", "+kl", "key", "50"), "MODE #c +kl key 50\r\n"},
      {Irc::ChannelModes("#c", "-t", "", ""), "MODE #c -t\r\n"},
      {Irc::MemberMode("#c", "+o", "bob"), "MODE #c +o :bob\r\n"},
      {Irc::Kick("#c", "bob"), "KICK #c bob\r\n"},
      {Irc::Topic("#c"), "TOPIC #c\r\n"},
      {Irc::Topic("#c", "new topic"), "TOPIC #c :new topic\r\n"},
      {Irc::Raw("quit :bye"), "quit :bye\r\n"},
  };
  for (const auto& [built, wire] : lines) EXPECT_EQ(built, wire);
}

// Long free text is cut before the line is put together: the line is whole
// (CTCP end mark and CR LF kept), within the bound, and ends on a character.
TEST(IrcLine, LongTextIsCutBetweenCharactersWithinTheBound) {
  std::string utf8;
  for (int i = 0; i < 300; ++i) utf8 += "가";
  const std::string cp949 = Cp949Literal(utf8.c_str());
  for (const std::string& text : {utf8, cp949, std::string(700, 'x')}) {
    for (const std::string& line : {Irc::Privmsg("#c", text), Irc::Action("#c", text), Irc::Raw(text),
                                    Irc::Topic("#c", text), Irc::Pong(text), Irc::Mode(text)}) {
      ASSERT_LE(line.size(), kIrcLineMax);
      EXPECT_GE(line.size(), kIrcLineMax - 2);
      EXPECT_TRUE(line.ends_with("\r\n"));
      const std::string_view body = std::string_view(line).substr(0, line.size() - 2);
      EXPECT_FALSE(DecodeDisplay(body.data(), body.size()).contains(QChar::ReplacementCharacter)) << line;
    }
  }
  const std::string action = Irc::Action("#c", utf8);
  EXPECT_TRUE(action.ends_with("\1\r\n"));
  EXPECT_EQ(action, "PRIVMSG #c :\1ACTION " + std::string(Irc::ActionText("#c", utf8)) + "\1\r\n");
  EXPECT_EQ(Irc::Privmsg("#c", utf8), "PRIVMSG #c :" + std::string(Irc::PrivmsgText("#c", utf8)) + "\r\n");
}

// Many channels go out comma-joined in as few lines as the bound allows;
// every name goes exactly once, and one no line could hold is skipped.
TEST(IrcLine, ManyChannelsJoinInFullLines) {
  std::vector<std::string> channels;
  for (int i = 0; i < 3000; ++i) channels.push_back("#channel" + std::to_string(i));
  channels.insert(channels.begin() + 10, "#" + std::string(600, 'x'));
  std::string joined;
  int lines = 0;
  for (size_t first = 0, taken = 0; first < channels.size(); first += taken) {
    const std::string line = Irc::JoinMany(channels, first, &taken);
    ASSERT_GT(taken, 0u);
    ASSERT_LE(line.size(), kIrcLineMax);
    ASSERT_TRUE(line.starts_with("JOIN ") && line.ends_with("\r\n"));
    joined += (joined.empty() ? "" : ",") + line.substr(5, line.size() - 7);
    ++lines;
  }
  channels.erase(channels.begin() + 10);
  std::string expected;
  for (const std::string& name : channels) expected += (expected.empty() ? "" : ",") + name;
  EXPECT_EQ(joined, expected);
  EXPECT_LE(lines, static_cast<int>(expected.size() / 490 + 1));
  size_t taken = 0;
  EXPECT_EQ(Irc::JoinMany({"#a", "#b"}, 0, &taken), "JOIN #a,#b\r\n");
  EXPECT_EQ(taken, 2u);
}

// Addresses as users write them; a port that is no port falls back to the
// default and says so, for callers that refuse it.
TEST(ServerAddress, HostPortAndTls) {
  struct Case {
    const char* text;
    std::string host;
    int port;
    bool tls;
    bool portValid;
  };
  const Case cases[] = {
      {"irc.example:7000", "irc.example", 7000, false, true}, {"irc.example", "irc.example", 6667, false, true},
      {"h:12ab", "h", 6667, false, false},  {"h:70000", "h", 6667, false, false},
      {"h:", "h", 6667, false, false},      {"h:-1", "h", 6667, false, false},
      {"ircs://irc.example.org", "irc.example.org", 6697, true, true},
      {"ircs://h:7000", "h", 7000, true, true}, {"h:+6698", "h", 6698, true, true},
      {"h:+", "h", 6697, true, false},      {":7000", "", 7000, false, true},
  };
  for (const Case& c : cases) {
    const auto address = ParseServerAddress(c.text);
    ASSERT_TRUE(address) << c.text;
    EXPECT_EQ(address->host, c.host) << c.text;
    EXPECT_EQ(address->port, c.port) << c.text;
    EXPECT_EQ(address->tls, c.tls) << c.text;
    EXPECT_EQ(address->portValid, c.portValid) << c.text;
  }
  EXPECT_FALSE(ParseServerAddress(""));
}

}  // namespace
