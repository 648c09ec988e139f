// velkocli run as a real process against ngircd: receiving into its folder and chatting.
#include <QDir>
#include <QFileInfo>
#include <QProcess>

#include "dcc_fixture.h"
#include "wait_until.h"

TEST_F(DccNgircdTest, CliReceivesInsideItsFolderAndChats) {
  ASSERT_TRUE(QDir(dir_.path()).mkdir("in"));
  QProcess cli;  // killed on the way out should a check stop the test early
  // --accept-chat before --dcc-dir: a flag that took a value would swallow the folder.
  cli.start(VELKOCLI_PATH, {"--addr", QString("127.0.0.1:%1").arg(server_->Port()), "--nick", "clinick",
                            "--accept-chat", "--dcc-dir", Path("in")});
  QByteArray output;
  const auto printed = [&](const QByteArray& text) {
    return WaitUntil([&] { return (output += cli.readAllStandardOutput()).contains(text); }, 10000);
  };
  ASSERT_TRUE(printed("OnLogon"));
  DccSide& alice = AddSide();

  Offer(alice, "clinick", "../escape.bin", "payload");
  ASSERT_TRUE(alice.WaitFor("OnDisconnectSend\t0\t1"));
  EXPECT_EQ(ReadBytes(Path("in/escape.bin")), "payload");
  EXPECT_FALSE(QFileInfo::exists(Path("escape.bin")));

  alice.acceptChat = true;
  cli.write(".chat " + QByteArray::fromStdString(alice.nick) + "\n");
  ASSERT_TRUE(printed("OnDCCChatConnect\t0"));
  cli.write(".say 0 hi there\n");
  EXPECT_TRUE(alice.WaitFor("OnDCCChatMessage\t0\thi there\\r"));
  alice.engine.SendChatMsg(0, "yo\n");
  EXPECT_TRUE(printed("OnDCCChatMessage\t0\tyo"));
  cli.write(".cancel-chat 0\n");
  EXPECT_TRUE(alice.WaitFor("OnDCCChatDisconnect\t0"));
  cli.closeWriteChannel();  // the end of input disconnects and exits
  EXPECT_TRUE(cli.waitForFinished(5000));
  EXPECT_EQ(cli.exitCode(), 0);
}
