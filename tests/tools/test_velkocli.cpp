#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <string>

#include "cli_options.h"
#include "event_lines.h"
#include "ngircd_server.h"
#include "scripted_server.h"
#include "wait_until.h"

namespace {

std::optional<CliOptions> Parse(std::vector<std::string> args) {
  const CliCommand command = ParseCliOptions({{QStringLiteral("velkocli"), {}, {}, {}, {}}, true}, args);
  if (command.line.outcome != ProgramLine::Run) return std::nullopt;
  return command.options;
}

// velkocli as a child process, its standard output collected.
struct Cli {
  explicit Cli(const QStringList& args) {
    process.start(VELKOCLI_PATH, args);
    EXPECT_TRUE(process.waitForStarted());
  }
  bool WaitForLine(const std::string& line) {
    return WaitUntil([&] {
      output += process.readAllStandardOutput().toStdString();
      return output.find("\n" + line + "\n") != std::string::npos || output.rfind(line + "\n", 0) == 0;
    }, 10000);
  }
  void Type(const std::string& line) { process.write((line + "\n").c_str()); }

  QProcess process;
  std::string output;
};

}  // namespace

TEST(CliOptions, ReadsAddressPortAndChannels) {
  auto options = Parse({"--addr", "irc.example:7000", "--nick", "n", "--join", "#a,,#b"});
  ASSERT_TRUE(options);
  EXPECT_EQ(options->host, "irc.example");
  EXPECT_EQ(options->port, 7000);
  EXPECT_EQ(options->channels, (std::vector<std::string>{"#a", "#b"}));
  EXPECT_EQ(Parse({"--addr", "host"})->port, 6667);
  EXPECT_FALSE(Parse({"--addr", "host:70000"}));
  EXPECT_FALSE(Parse({"--addr", "host:"}));
  EXPECT_FALSE(Parse({"--addr", ":7000"}));
  for (const char* secure : {"ircs://irc.example", "irc.example:+6697"}) {
    ASSERT_TRUE(Parse({"--addr", secure})) << secure;
    EXPECT_TRUE(Parse({"--addr", secure})->tls && Parse({"--addr", secure})->port == 6697) << secure;
  }
  EXPECT_FALSE(Parse({"--nick"}));
  EXPECT_FALSE(Parse({"--nick", "--join", "#a"}));
  EXPECT_FALSE(Parse({"--bogus", "x"}));
  EXPECT_FALSE(Parse({"stray"}));
  EXPECT_EQ(Parse({"--nick", "\xba\xa7\xc4\xda"})->nick, "\xba\xa7\xc4\xda");  // CP949 bytes kept
  EXPECT_TRUE(Parse({"--dcc-dir=/tmp/in", "--accept-chat"})->acceptChat);
}

TEST(EventLines, EscapesEveryByteThatCouldBreakALine) {
  EXPECT_EQ(EscapeText("a\\b\tc\rd\ne\x01\x1f" "f"), "a\\\\b\\tc\\rd\\ne\\x01\\x1Ff");
  EXPECT_EQ(EscapeText(nullptr), "(null)");
  EXPECT_EQ(EscapeText("\xc7\xd1"), "\xc7\xd1");
}

TEST(Velkocli, RegistersJoinsPrintsEventsAndQuits) {
  NgircdServer server;
  ASSERT_TRUE(server.Start());
  Cli cli({"--addr", QString("127.0.0.1:%1").arg(server.Port()), "--nick", "clinick", "--user", "Real Name",
           "--join", "#velko,#other"});
  ASSERT_TRUE(cli.WaitForLine("OnOwnerJoin\t#other"));
  EXPECT_NE(cli.output.find("OnConnect\t(null)\n"), std::string::npos);
  EXPECT_NE(cli.output.find("OnOwnerJoin\t#velko\n"), std::string::npos);

  cli.Type(".simulate :a!b@c PRIVMSG #velko :tab\there \\ back");
  ASSERT_TRUE(cli.WaitForLine("OnPrivmsg\ta\t#velko\ttab\\there \\\\ back"));
  cli.Type("WHOIS clinick");
  ASSERT_TRUE(cli.WaitForLine("OnWhois\tclinick ~quelbo 127.0.0.1 * :Real Name\t311\tclinick ~quelbo 127.0.0.1 * :Real Name"));
  cli.Type(".nonsense");
  cli.Type(".quit");
  ASSERT_TRUE(cli.process.waitForFinished(10000));
  EXPECT_EQ(cli.process.exitCode(), 0);
  EXPECT_NE(cli.process.readAllStandardError().indexOf(".nonsense"), -1);
}

TEST(Velkocli, OffersAFileUnderItsBaseNameWithBlanksAsUnderscores) {
  ScriptedServer irc;
  QTemporaryDir dir;
  QFile file(dir.filePath("my notes.txt"));
  ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("12345") == 5);
  file.close();
  Cli cli({"--addr", QString("127.0.0.1:%1").arg(irc.Port())});
  ASSERT_TRUE(irc.WaitForClient());
  ASSERT_TRUE(irc.WaitForText("NICK QUELBO\r\n"));
  cli.Type((".send bob " + dir.filePath("my notes.txt")).toStdString());
  ASSERT_TRUE(irc.WaitForText(" 5\x01\r\n"));
  EXPECT_TRUE(irc.Received().contains("PRIVMSG bob :\x01" "DCC SEND my_notes.txt "));
  cli.Type(".quit");
  EXPECT_TRUE(cli.process.waitForFinished(10000));
}

// A server restart: velkocli and velkobot log on again and rejoin; a bot told
// not to reconnect ends with 1 instead. The end of input ends velkocli.
TEST(ConsoleTools, ConnectAgainAfterTheServerRestartsUnlessToldNot) {
  NgircdServer server;
  ASSERT_TRUE(server.Start());
  const QString address = QString("127.0.0.1:%1").arg(server.Port());
  Cli cli({"--addr", address, "--join", "#back"});
  QProcess stays, leaves;
  std::string staysSaid;
  stays.start(VELKOBOT_PATH, {"--addr", address, "--nick", "stays"});
  leaves.start(VELKOBOT_PATH, {"--addr", address, "--nick", "leaves", "--no-reconnect"});
  const auto joins = [](const std::string& text, const std::string& line) {
    size_t count = 0;
    for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) ++count;
    return count;
  };
  const auto joined = [&](size_t times) {
    return WaitUntil([&] {
      cli.output += cli.process.readAllStandardOutput().toStdString();
      staysSaid += stays.readAllStandardOutput().toStdString();
      return joins(cli.output, "OnOwnerJoin\t#back\n") == times && joins(staysSaid, "joined #velko\n") == times;
    }, 15000);
  };
  ASSERT_TRUE(joined(1));
  ASSERT_TRUE(WaitUntil([&] { return leaves.readAllStandardOutput().contains("joined #velko"); }, 10000));

  ASSERT_TRUE(server.Restart());
  EXPECT_TRUE(joined(2)) << cli.output << staysSaid;
  ASSERT_TRUE(WaitUntil([&] { return leaves.state() == QProcess::NotRunning; }, 10000));
  EXPECT_EQ(leaves.exitCode(), 1);
  EXPECT_NE(cli.process.readAllStandardError().indexOf("velkocli: connecting again in"), -1);
  // The end of its input still ends it.
  cli.process.closeWriteChannel();
  ASSERT_TRUE(cli.process.waitForFinished(10000));
  EXPECT_EQ(cli.process.exitCode(), 0);
}
