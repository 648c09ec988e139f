// Wire cases two engines never produce, played by a raw peer over loopback.
#include <QDir>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <arpa/inet.h>

#include "dcc_fixture.h"
#include "scripted_server.h"
#include "wait_until.h"

namespace {

QByteArray Ack(uint32_t position) {
  const uint32_t network = htonl(position);
  return QByteArray(reinterpret_cast<const char*>(&network), 4);
}

bool WaitBytes(QTcpSocket& peer, QByteArray* got, int count) {
  return WaitUntil([&] {
    *got += peer.readAll();
    return got->size() >= count;
  });
}

class DccPeerTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    side_.target = [this](const char* name, uint32_t) {
      return FileOpen(Path(SafeFileName(name)).c_str(), false, true);
    };
  }
  std::string Path(const std::string& name) const { return dir_.filePath(QString::fromStdString(name)).toStdString(); }

  QTemporaryDir dir_;
  DccSide side_;
};

struct SenderCase {
  const char* name;
  const char* stored;
  int size;
  int sent;
};

class DccRawSenderTest : public DccPeerTest, public testing::WithParamInterface<SenderCase> {};

}  // namespace

TEST_F(DccPeerTest, SplitAcknowledgementsNeverMakeTheSenderRepeat) {
  const QByteArray bytes = RandomBytes(5000, 11);
  ScriptedServer irc;
  side_.engine.SetAddress("127.0.0.1");
  side_.engine.SetPort(irc.Port());
  side_.engine.Connect();
  ASSERT_TRUE(irc.WaitForClient());
  ASSERT_TRUE(WriteBytes(QString::fromStdString(Path("source")), bytes));
  side_.engine.SendFile("peer", "data.bin", FileOpen(Path("source").c_str(), true, false));
  ASSERT_TRUE(irc.WaitForText("\x01\r\n"));
  const auto offer = QRegularExpression("DCC SEND data.bin \\d+ (\\d+) ").match(QString::fromLatin1(irc.Received()));
  QTcpSocket peer;
  peer.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(offer.captured(1).toUInt()));
  ASSERT_TRUE(peer.waitForConnected(5000));

  QByteArray got;
  ASSERT_TRUE(WaitBytes(peer, &got, 2048));
  peer.write(Ack(1000));  // the block read in two pieces: progress only
  SpinFor(200);
  peer.write(Ack(2048).left(2));
  SpinFor(200);
  got += peer.readAll();
  EXPECT_EQ(got.size(), 2048);
  EXPECT_TRUE(side_.Saw("OnSentPack\t0\t0\t2048\t1000"));

  peer.write(Ack(2048).mid(2));
  ASSERT_TRUE(WaitBytes(peer, &got, 4096));
  peer.write(Ack(4096));
  ASSERT_TRUE(WaitBytes(peer, &got, 5000));
  peer.write(Ack(5000));
  EXPECT_TRUE(side_.WaitFor("OnDisconnectSend\t0\t1"));
  EXPECT_TRUE(WaitUntil([&] { return peer.state() == QAbstractSocket::UnconnectedState; }));
  EXPECT_EQ(got + peer.readAll(), bytes);
}

// The sender writes everything at once, ahead of any acknowledgement.
TEST_P(DccRawSenderTest, ReceiverKeepsExactlyWhatArrived) {
  const SenderCase& c = GetParam();
  const bool early = c.sent < c.size;
  const QByteArray bytes = RandomBytes(c.sent, c.size);
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
  QTcpSocket* sender = nullptr;
  QByteArray acks;
  QObject::connect(&server, &QTcpServer::newConnection, [&] {
    sender = server.nextPendingConnection();
    QObject::connect(sender, &QTcpSocket::readyRead, [&] { acks += sender->readAll(); });
    sender->write(bytes);
    if (early) sender->disconnectFromHost();  // part of the file arrives with the close
  });
  const std::string offer = ":peer!u@h PRIVMSG me :\x01" "DCC SEND " + std::string(c.name) + " 2130706433 " +
                            std::to_string(server.serverPort()) + " " + std::to_string(c.size) + "\x01";
  side_.engine.SimulateLine(offer.c_str());
  if (!early) {
    ASSERT_TRUE(WaitUntil([&] { return acks.endsWith(Ack(c.sent)); }));
    sender->disconnectFromHost();
  }
  EXPECT_TRUE(side_.WaitFor("OnDisconnectRecv\t0\t" + std::to_string(!early)));
  EXPECT_EQ(acks.size() % 4, 0);
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{c.stored});
  EXPECT_TRUE(ReadBytes(QString::fromStdString(Path(c.stored))) == bytes);
}

INSTANTIATE_TEST_SUITE_P(Offers, DccRawSenderTest,
                         testing::Values(SenderCase{"ahead.bin", "ahead.bin", 100000, 100000},
                                         SenderCase{"early.bin", "early.bin", 5000, 3000},
                                         SenderCase{"\"../../my file.bin\"", "my file.bin", 1, 1}),
                         CaseName<SenderCase>);
