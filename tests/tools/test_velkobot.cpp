#include <gtest/gtest.h>

#include <QProcess>
#include <algorithm>
#include <string>

#include "cli_options.h"
#include "engine_recorder.h"
#include "ngircd_server.h"
#include "scripted_server.h"
#include "wait_until.h"

namespace {

// velkobot as a child process, started and waited for until it sits in its channel.
struct Bot {
  Bot(uint16_t port, QStringList args) {
    process.start(VELKOBOT_PATH, QStringList{"--addr", QString("127.0.0.1:%1").arg(port)} + args);
    EXPECT_TRUE(process.waitForStarted());
  }
  ~Bot() {
    process.terminate();
    process.waitForFinished(5000);
  }
  bool Stopped() {
    return WaitUntil([&] { return process.state() == QProcess::NotRunning; }, 10000);
  }
  bool WaitJoined() {
    return WaitUntil([&] { return process.canReadLine() && process.readLine().startsWith("velkobot: joined"); },
                     10000);
  }
  QProcess process;
};

bool WaitForLineStarting(const EngineRecorder& user, const std::string& prefix) {
  return WaitUntil([&] {
    return std::any_of(user.lines.begin(), user.lines.end(), [&](const std::string& l) { return l.rfind(prefix, 0) == 0; });
  }, 10000);
}


}  // namespace

TEST(CliOptions, DefaultsYieldToGivenOptions) {
  CliOptions defaults;
  defaults.nick = "velkobot";
  defaults.channels = {"#velko"};
  const CliProgram bot{{QStringLiteral("velkobot"), {}, {}, {}, {}}};
  EXPECT_EQ(ParseCliOptions(bot, {}, defaults).options.channels, (std::vector<std::string>{"#velko"}));
  const CliOptions given = ParseCliOptions(bot, {"--join", "#a", "--join", "#b", "--nick", "n"}, defaults).options;
  EXPECT_EQ(given.channels, (std::vector<std::string>{"#a", "#b"}));
  EXPECT_EQ(given.nick, "n");
  EXPECT_EQ(ParseCliOptions(bot, {"--dcc-dir", "/tmp"}).line.outcome, ProgramLine::Error);
}

// The programs' manners on the command line, as a user meets them.
TEST(ConsoleTools, HelpVersionAndErrorsAsOtherPrograms) {
  for (const auto& [path, name] : {std::pair{VELKOCLI_PATH, "velkocli"}, std::pair{VELKOBOT_PATH, "velkobot"}}) {
    const auto run = [&](const QStringList& args, QByteArray* out, QByteArray* err) {
      QProcess process;
      process.start(path, args);
      EXPECT_TRUE(process.waitForFinished(15000));
      *out = process.readAllStandardOutput();
      *err = process.readAllStandardError();
      return process.exitCode();
    };
    QByteArray out, err;
    EXPECT_EQ(run({"--help"}, &out, &err), 0) << name;
    EXPECT_TRUE(out.startsWith(QByteArray("Usage: ") + name + " [options]")) << out.toStdString();
    for (const char* option : {"--addr", "--nick", "--user", "--join", "--version"})
      EXPECT_TRUE(out.contains(option)) << name << option;
    EXPECT_EQ(run({"--version"}, &out, &err), 0) << name;
    EXPECT_TRUE(out.startsWith(QByteArray(name) + " 1.")) << out.toStdString();
    EXPECT_EQ(run({"--bogus"}, &out, &err), 2) << name;
    EXPECT_TRUE(err.startsWith(QByteArray(name) + ": unknown option --bogus\n")) << err.toStdString();
    EXPECT_TRUE(out.isEmpty());
  }
}

TEST(Velkobot, GreetsAndAnswersWhenNamedOrSpokenToPrivately) {
  NgircdServer server;
  ASSERT_TRUE(server.Start());
  Bot bot(server.Port(), {});
  ASSERT_TRUE(bot.WaitJoined());
  EngineRecorder user;
  ASSERT_TRUE(user.LogOn(server.Port(), "guest"));
  user.engine.Send("JOIN #velko\r\n");
  EXPECT_TRUE(WaitForLineStarting(user, "OnPrivmsg\tvelkobot\t#velko\t안녕하세요, guest님!"));

  // ngircd announces CHARSET=UTF-8, so the bot answers in UTF-8; a line not
  // naming the bot gets no answer.
  user.engine.Send("PRIVMSG #velko :just chatting\r\nPRIVMSG #velko :VelkoBot 잘 지내?\r\n");
  EXPECT_TRUE(WaitForLineStarting(user, "OnPrivmsg\tvelkobot\t#velko\tguest님, \"VelkoBot 잘 지내?\""));
  user.engine.Send("PRIVMSG velkobot :hello there\r\n");
  EXPECT_TRUE(WaitForLineStarting(user, "OnPrivmsg\tvelkobot\tguest\tguest님, \"hello there\""));
  for (const std::string& line : user.Events({"OnPrivmsg"})) EXPECT_EQ(line.find("just chatting"), std::string::npos);
}

TEST(Velkobot, RejoinsAfterAKickAndSaysGoodbyeOnTermination) {
  NgircdServer server;
  ASSERT_TRUE(server.Start());
  EngineRecorder op;
  ASSERT_TRUE(op.LogOnAndJoin(server.Port(), "op", "#den"));
  Bot bot(server.Port(), {"--join", "#den"});
  ASSERT_TRUE(op.WaitFor("OnOtherJoin\t#den\tvelkobot", 10000));

  op.engine.Send("KICK #den velkobot :out\r\n");
  EXPECT_TRUE(WaitUntil([&] { return op.Events({"OnOtherJoin"}).size() == 2; }, 10000));

  bot.process.terminate();
  EXPECT_TRUE(WaitForLineStarting(op, "OnOtherQuit\tvelkobot\t"));
  EXPECT_NE(op.Events({"OnOtherQuit"}).back().find("안녕히 계세요"), std::string::npos);
  ASSERT_TRUE(bot.Stopped());
  EXPECT_EQ(bot.process.exitStatus(), QProcess::NormalExit);
  EXPECT_EQ(bot.process.exitCode(), 0);
}

TEST(Velkobot, AnswersEachWithinTheLineLimit) {
  ScriptedServer irc;
  Bot bot(irc.Port(), {});
  ASSERT_TRUE(irc.WaitForClient());
  ASSERT_TRUE(irc.WaitForText("NICK velkobot\r\n"));
  irc.Write(":irc 001 velkobot :hi\r\n");
  ASSERT_TRUE(irc.WaitForText("JOIN #velko\r\n"));

  const QByteArray longText(600, 'x');
  irc.Write(":a!b@c PRIVMSG velkobot :\x01PING 123\x01\r\n:a!b@c PRIVMSG velkobot :one\r\n"
            ":a!b@c PRIVMSG velkobot :" + longText + "\r\n:a!b@c PRIVMSG velkobot :three\r\n");
  ASSERT_TRUE(irc.WaitForText("\"three\"", 10000));
  const QList<QByteArray> said = irc.Received().split('\n');
  EXPECT_TRUE(said.contains("NOTICE a :\x01PING 123\x01\r"));
  for (const QByteArray& line : said) EXPECT_LE(line.size() + 1, 512) << line.left(40).toStdString();
  bot.process.terminate();
  EXPECT_TRUE(irc.WaitForText("QUIT :"));
  irc.CloseClient();
  EXPECT_TRUE(bot.Stopped());
}
