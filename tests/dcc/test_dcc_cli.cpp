// velkocli's DCC options and commands, run as a real process against ngircd.
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include "cli_options.h"
#include "dcc_fixture.h"
#include "wait_until.h"

namespace {

class CliProcess {
 public:
  CliProcess(uint16_t port, const QStringList& extra) {
    process_.setProgram(QStringLiteral(VELKOCLI_PATH));
    process_.setArguments(QStringList{"--addr", QString("127.0.0.1:%1").arg(port), "--nick", "clinick"} + extra);
    process_.start();
  }
  ~CliProcess() {
    process_.closeWriteChannel();
    if (!process_.waitForFinished(3000)) process_.kill();
    process_.waitForFinished(3000);
  }
  bool WaitFor(const QByteArray& text) {
    return WaitUntil([&] { return (output_ += process_.readAllStandardOutput()).contains(text); }, 10000);
  }
  void Type(const QByteArray& line) { process_.write(line + "\n"); }

 private:
  QProcess process_;
  QByteArray output_;
};

}  // namespace

TEST(CliOptions, AcceptChatTakesNoValueAndDccDirDoes) {
  std::string error;
  const auto options = ParseCliOptions({"--accept-chat", "--dcc-dir", "/tmp/in", "--nick", "n"}, &error);
  ASSERT_TRUE(options) << error;
  EXPECT_TRUE(options->acceptChat);
  EXPECT_EQ(options->dccDir, "/tmp/in");
  EXPECT_EQ(options->nick, "n");
  EXPECT_FALSE(ParseCliOptions({"--dcc-dir"}, &error));
}

TEST_F(DccNgircdTest, CliReceivesInsideItsFolderSendsAndChats) {
  ASSERT_TRUE(QDir(dir_.path()).mkdir("in"));
  CliProcess cli(server_->Port(), {"--dcc-dir", Path("in"), "--accept-chat"});
  ASSERT_TRUE(cli.WaitFor("OnLogon"));
  DccSide& alice = AddSide();

  Offer(alice, "clinick", "../escape.bin", "payload");
  ASSERT_TRUE(alice.WaitFor("OnDisconnectSend\t0\t1"));
  EXPECT_EQ(ReadBytes(Path("in/escape.bin")), "payload");
  EXPECT_FALSE(QFileInfo::exists(Path("escape.bin")));

  ASSERT_TRUE(WriteBytes(Path("my file.bin"), "outgoing"));
  alice.target = [&](const char*, uint32_t) { return FileOpen(Path("got.bin").toUtf8().constData(), false, true); };
  cli.Type(".send " + QByteArray::fromStdString(alice.nick) + " " + Path("my file.bin").toUtf8());
  ASSERT_TRUE(alice.WaitFor("OnDisconnectRecv\t0\t1"));
  EXPECT_EQ(alice.Args("OnSendRequest").at(0).rfind("0\tclinick\tmy_file.bin\t8\t", 0), 0u);
  EXPECT_EQ(ReadBytes(Path("got.bin")), "outgoing");

  const int seq = alice.engine.SendChatRequest("clinick");
  ASSERT_TRUE(cli.WaitFor("OnDCCChatConnect\t0"));
  cli.Type(".say 0 hi there");
  EXPECT_TRUE(alice.WaitFor("OnDCCChatMessage\t" + std::to_string(seq) + "\thi there\\r"));
  alice.engine.SendChatMsg(seq, "yo\n");
  EXPECT_TRUE(cli.WaitFor("OnDCCChatMessage\t0\tyo"));
  cli.Type(".cancel-chat 0");
  EXPECT_TRUE(alice.WaitFor("OnDCCChatDisconnect\t" + std::to_string(seq)));
}
