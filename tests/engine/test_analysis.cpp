#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cstring>
#include <string>
#include <vector>

#include "C_analctcp.h"
#include "U_analysis.h"
#include "engine_recorder.h"

namespace {

stIRC Parsed(const char* line) {
  stIRC record;
  CZoAnalysis::Parse(line, &record);
  return record;
}

// The six fields joined by "|", in record order.
std::string Fields(const char* line) {
  const stIRC r = Parsed(line);
  return std::string(r.nick) + "|" + r.user + "|" + r.host + "|" + r.command + "|" + r.param1 + "|" + r.rest;
}

}  // namespace

TEST(Parse, SplitsPrefixCommandParameterAndRest) {
  const std::pair<const char*, const char*> cases[] = {
      {":n!u@h PRIVMSG #c :hello there", "n|u|h|PRIVMSG|#c|:hello there"},
      {":irc.example 353 me = #c :@a b", "||irc.example|353|me|= #c :@a b"},
      {":nick@host NOTICE x :y", "||nick@host|NOTICE|x|:y"},  // no "!": all host
      {":n!u NICK :m", "n|u||NICK|:m|"},
      {"PING :token", "|||PING||:token"},
      {":n!u@h PRIVMSG  #c :x", "n|u|h|PRIVMSG||#c :x"},  // two spaces: empty first parameter
      {"", "|||||"},
      {":", "|||||"},
  };
  for (const auto& [line, fields] : cases) EXPECT_EQ(Fields(line), fields) << line;
}

TEST(Parse, ParametersAsTheProtocolDefinesThem) {
  const std::pair<const char*, std::vector<std::string>> cases[] = {
      {":n!u@h MODE #c +v :alice", {"#c", "+v", "alice"}},
      {"PING :a b", {"a b"}},
      {":s 353 me = #c :@a +b c", {"me", "=", "#c", "@a +b c"}},
      {":n KICK  #c   a", {"#c", "a"}},  // runs of blanks separate
      {":n TOPIC #c :", {"#c", ""}},
      {":n TOPIC #c ::x", {"#c", ":x"}},
      {"CMD 1 2 3 4 5 6 7 8 9 10 11 12 13 14 15 16", {"1", "2", "3", "4", "5", "6", "7", "8", "9", "10", "11",
                                                         "12", "13", "14", "15 16"}},
      {"QUIT", {}},
      {":only", {}},
  };
  for (const auto& [line, params] : cases) {
    const stIRC r = Parsed(line);
    std::vector<std::string> got;
    for (size_t i = 0; i < r.paramCount; ++i) got.emplace_back(ZoParam(r, i));
    EXPECT_EQ(got, params) << line;
    EXPECT_STREQ(ZoParam(r, r.paramCount), "") << line;
  }
  char joined[512];
  ZoJoinParams(Parsed(":n MODE #c +ov :a b"), 1, joined);
  EXPECT_STREQ(joined, "+ov a b");
}

// Each field is as wide as it can be without a lone lead byte at its end.
TEST(Parse, OverlongFieldsAreCutToTheirWidthBetweenCharacters) {
  const auto hangul = [](size_t bytes) {
    std::string text;
    while (text.size() < bytes) text += "\xB0\xA1";
    return text;
  };
  const std::string line = ":" + hangul(300) + "!" + hangul(100) + "@" + hangul(500) + " " + hangul(100) + " " +
                           hangul(400) + " " + hangul(3000);
  const stIRC r = Parsed(line.c_str());
  for (const auto& [field, width] : {std::pair<const char*, size_t>{r.nick, sizeof r.nick},
                                     {r.user, sizeof r.user}, {r.host, sizeof r.host}, {r.command, sizeof r.command},
                                     {r.param1, sizeof r.param1}, {r.rest, sizeof r.rest}})
    EXPECT_EQ(strlen(field), width - 2);

  stIRC ctcpLine;
  const std::string ctcpText = ":n!u@" + hangul(300) + " PRIVMSG #" + hangul(300) + " :\x01" + hangul(30) + " " + hangul(600);
  CZoAnalysis::Parse(ctcpText.c_str(), &ctcpLine);
  stCTCP ctcp;
  CZoAnalCTCP::Build(ctcpLine, &ctcp);
  EXPECT_EQ(strlen(ctcp.ctcp), sizeof ctcp.ctcp - 2);
  EXPECT_EQ(strlen(ctcp.channel), 127u);  // "#" and the pairs that fit the IRC record's parameter
}

// Each event of a line is raised once, its typed event first and OnLine last.
TEST(Analyse, CutsAtTheFirstLineEndAndRaisesEachEventOnce) {
  EngineRecorder r;
  char crlf[] = ":a!b@c PRIVMSG #x :one\r\n";
  r.engine.atLine(crlf);
  EXPECT_STREQ(crlf, ":a!b@c PRIVMSG #x :one");
  char lf[] = ":a!b@c PRIVMSG #x :two\n";
  r.engine.atLine(lf);
  EXPECT_EQ(r.Events(), (std::vector<std::string>{
                            "OnPrivmsg\ta\t#x\tone", "OnIRC\ta\tb\tc\tPRIVMSG\t#x\t:one",
                            "OnLine\t:a!b@c PRIVMSG #x :one", "OnPrivmsg\ta\t#x\ttwo",
                            "OnIRC\ta\tb\tc\tPRIVMSG\t#x\t:two", "OnLine\t:a!b@c PRIVMSG #x :two"}));
}

TEST(Analyse, RoutesCtcpAndDccAwayFromTheIrcAnalyser) {
  EngineRecorder r;
  r.engine.SetNick("me");
  r.engine.SimulateLine(":a!b@c PRIVMSG me :\x01VERSION\x01");
  r.engine.SimulateLine(":a!b@c PRIVMSG #x :\x01" "ACTION waves  twice\x01");
  r.engine.SimulateLine(":a!b@c NOTICE me :\x01PING 123");
  r.engine.SimulateLine(":a!b@c PRIVMSG me :\x01\x01");
  r.engine.SimulateLine(":a!b@c PRIVMSG me :\x01" "dcc send f 3232235521 1025 100\x01");
  EXPECT_TRUE(r.Events({"OnPrivmsg", "OnNotice", "OnIRC", "OnLine"}).empty());
  EXPECT_EQ(r.Events({"OnCTCP"}),
            (std::vector<std::string>{"OnCTCP\ta\tc\tPRIVMSG\tVERSION\t\tme\t",
                                      "OnCTCP\ta\tc\tPRIVMSG\tACTION\t#x\t\twaves  twice",
                                      "OnCTCP\ta\tc\tNOTICE\tPING\t\tme\t123", "OnCTCP\ta\tc\tPRIVMSG\t\t\tme\t"}));
  EXPECT_EQ(r.Events({"OnDCC"}),
            (std::vector<std::string>{"OnDCC\ta\tc\tme\tPRIVMSG\tsend\tf\t192.168.0.1\t1025\t100\t" +
                                      std::to_string(htonl(3232235521u))}));
}

TEST(Analyse, PlainLeadingByteIsNotCtcp) {
  EngineRecorder r;
  r.engine.SimulateLine(":a!b@c PRIVMSG #x :\x01");
  r.engine.SimulateLine(":a!b@c PRIVMSG #x :x\x01y");
  EXPECT_EQ(r.Events({"OnCTCP"}).size(), 1u);
  EXPECT_EQ(r.Events({"OnPrivmsg"}), (std::vector<std::string>{"OnPrivmsg\ta\t#x\tx\\x01y"}));
}

