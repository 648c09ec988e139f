#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cstring>
#include <string>

#include "U_analysis.h"
#include "engine_recorder.h"

namespace {

stIRC Parsed(const char* line) {
  stIRC record;
  CZoAnalysis::Parse(line, &record);
  return record;
}

}  // namespace

TEST(Parse, SplitsPrefixCommandParameterAndRest) {
  stIRC r = Parsed(":n!u@h PRIVMSG #c :hello there");
  EXPECT_STREQ(r.nick, "n");
  EXPECT_STREQ(r.user, "u");
  EXPECT_STREQ(r.host, "h");
  EXPECT_STREQ(r.command, "PRIVMSG");
  EXPECT_STREQ(r.param1, "#c");
  EXPECT_STREQ(r.rest, ":hello there");

  r = Parsed(":irc.example 353 me = #c :@a b");
  EXPECT_STREQ(r.nick, "");
  EXPECT_STREQ(r.host, "irc.example");
  EXPECT_STREQ(r.param1, "me");
  EXPECT_STREQ(r.rest, "= #c :@a b");
}

TEST(Parse, PrefixWithoutBangIsAllHost) {
  stIRC r = Parsed(":nick@host NOTICE x :y");
  EXPECT_STREQ(r.nick, "");
  EXPECT_STREQ(r.user, "");
  EXPECT_STREQ(r.host, "nick@host");
  r = Parsed(":n!u NICK :m");
  EXPECT_STREQ(r.nick, "n");
  EXPECT_STREQ(r.user, "u");
  EXPECT_STREQ(r.host, "");
}

TEST(Parse, LineWithoutPrefixAndOddSpacing) {
  stIRC r = Parsed("PING :token");
  EXPECT_STREQ(r.command, "PING");
  EXPECT_STREQ(r.rest, ":token");
  EXPECT_STREQ(r.param1, "");

  r = Parsed(":n!u@h PRIVMSG  #c :x");
  EXPECT_STREQ(r.param1, "");
  EXPECT_STREQ(r.rest, "#c :x");

  r = Parsed("");
  EXPECT_STREQ(r.command, "");
  r = Parsed(":");
  EXPECT_STREQ(r.host, "");
}

TEST(Parse, OverlongFieldsAreCutToTheirWidth) {
  const std::string nick(300, 'n');
  const std::string text(3000, 't');
  const std::string line = ":" + nick + "!u@" + std::string(500, 'h') + " PRIVMSG " + std::string(400, 'c') + " :" + text;
  stIRC r = Parsed(line.c_str());
  EXPECT_EQ(strlen(r.nick), sizeof r.nick - 1);
  EXPECT_EQ(strlen(r.host), sizeof r.host - 1);
  EXPECT_EQ(strlen(r.param1), sizeof r.param1 - 1);
  EXPECT_EQ(strlen(r.rest), sizeof r.rest - 1);
}

TEST(Analyse, CutsAtTheFirstLineEnd) {
  EngineRecorder r;
  char crlf[] = ":a!b@c PRIVMSG #x :one\r\n";
  r.engine.atLine(crlf);
  EXPECT_STREQ(crlf, ":a!b@c PRIVMSG #x :one");
  char lf[] = ":a!b@c PRIVMSG #x :two\n";
  r.engine.atLine(lf);
  EXPECT_EQ(r.Events({"OnPrivmsg", "OnLine"}),
            (std::vector<std::string>{"OnPrivmsg\ta\t#x\tone", "OnLine\t:a!b@c PRIVMSG #x :one",
                                      "OnPrivmsg\ta\t#x\ttwo", "OnLine\t:a!b@c PRIVMSG #x :two"}));
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

