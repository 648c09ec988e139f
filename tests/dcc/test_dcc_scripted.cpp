// Wire cases two engines never produce, played by a raw peer over loopback.
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTemporaryDir>
#include <arpa/inet.h>
#include <gtest/gtest.h>

#include "Zoengine.h"
#include "dcc_fixture.h"
#include "event_lines.h"
#include "scripted_server.h"
#include "wait_until.h"

namespace {

QByteArray Ack(uint32_t position) {
  const uint32_t network = htonl(position);
  return QByteArray(reinterpret_cast<const char*>(&network), 4);
}

class DccPeerTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(dir_.isValid());
    BindEventLines(engine_, [this](const std::string& line) { lines_.push_back(line); });
    auto record = engine_.OnSendRequest;
    engine_.OnSendRequest = [this, record](int seq, const char* from, const char* name, uint32_t size,
                                           FileHandle* file) {
      *file = FileOpen(Path(SafeFileName(name).c_str()).toUtf8().constData(), false, true);
      record(seq, from, name, size, file);
    };
  }

  QString Path(const char* name) const { return dir_.filePath(QString::fromUtf8(name)); }
  bool Saw(const std::string& line) {
    return WaitUntil([&] { return std::find(lines_.begin(), lines_.end(), line) != lines_.end(); });
  }

  // The engine offers `bytes` through a scripted IRC server; a raw socket connects as the receiver.
  std::unique_ptr<QTcpSocket> OfferToPeer(const QByteArray& bytes) {
    engine_.SetAddress("127.0.0.1");
    engine_.SetPort(irc_.Port());
    engine_.Connect();
    EXPECT_TRUE(irc_.WaitForClient());
    EXPECT_TRUE(WaitUntil([&] { return engine_.state == TZoEngine::Connected; }));
    EXPECT_TRUE(WriteBytes(Path("source"), bytes));
    engine_.SendFile("peer", "data.bin", FileOpen(Path("source").toUtf8().constData(), true, false));
    EXPECT_TRUE(irc_.WaitForText("\x01\r\n"));
    const auto match = QRegularExpression("DCC SEND data.bin \\d+ (\\d+) ").match(QString::fromLatin1(irc_.Received()));
    auto peer = std::make_unique<QTcpSocket>();
    peer->connectToHost(QHostAddress::LocalHost, static_cast<quint16>(match.captured(1).toUInt()));
    EXPECT_TRUE(peer->waitForConnected(5000));
    return peer;
  }

  // The engine receives an offer from a raw sender listening on `server`.
  void OfferFromPeer(const QTcpServer& server, const char* name, int size) {
    const std::string line = ":peer!u@h PRIVMSG me :\x01" "DCC SEND " + std::string(name) + " 2130706433 " +
                             std::to_string(server.serverPort()) + " " + std::to_string(size) + "\x01";
    engine_.SimulateLine(line.c_str());
  }

  QTemporaryDir dir_;
  ScriptedServer irc_;
  TZoEngine engine_;
  std::vector<std::string> lines_;
};

bool WaitBytes(QTcpSocket& peer, QByteArray* got, int count) {
  return WaitUntil([&] {
    *got += peer.readAll();
    return got->size() >= count;
  });
}

}  // namespace

TEST_F(DccPeerTest, SplitAndPartialAcknowledgementsNeverMakeTheSenderRepeat) {
  const QByteArray bytes = RandomBytes(5000, 11);
  auto peer = OfferToPeer(bytes);
  QByteArray got;
  ASSERT_TRUE(WaitBytes(*peer, &got, 2048));

  peer->write(Ack(1000));  // the block read in two pieces: progress only
  SpinFor(200);
  peer->write(Ack(2048).left(2));
  SpinFor(200);
  got += peer->readAll();
  EXPECT_EQ(got.size(), 2048);
  EXPECT_TRUE(Saw("OnSentPack\t0\t0\t2048\t1000"));

  peer->write(Ack(2048).mid(2));
  ASSERT_TRUE(WaitBytes(*peer, &got, 4096));
  peer->write(Ack(4096));
  ASSERT_TRUE(WaitBytes(*peer, &got, 5000));
  peer->write(Ack(5000));
  EXPECT_TRUE(Saw("OnDisconnectSend\t0\t1"));
  EXPECT_TRUE(WaitUntil([&] { return peer->state() == QAbstractSocket::UnconnectedState; }));
  EXPECT_EQ(got + peer->readAll(), bytes);
}

TEST_F(DccPeerTest, ReceiverLeavingEarlyIsAFailedSend) {
  auto peer = OfferToPeer(RandomBytes(5000, 12));
  QByteArray got;
  ASSERT_TRUE(WaitBytes(*peer, &got, 2048));
  peer->close();
  EXPECT_TRUE(Saw("OnDisconnectSend\t0\t0"));
}

TEST_F(DccPeerTest, AcknowledgingMoreThanTheFileIsAFailedSend) {
  auto peer = OfferToPeer(RandomBytes(100, 13));
  QByteArray got;
  ASSERT_TRUE(WaitBytes(*peer, &got, 100));
  peer->write(Ack(101));
  EXPECT_TRUE(Saw("OnDisconnectSend\t0\t0"));
}

TEST_F(DccPeerTest, SenderRunningAheadOfAcknowledgementsIsWrittenOnce) {
  const QByteArray bytes = RandomBytes(100000, 14);
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
  QTcpSocket* sender = nullptr;
  QByteArray acks;
  QObject::connect(&server, &QTcpServer::newConnection, [&] {
    sender = server.nextPendingConnection();
    QObject::connect(sender, &QTcpSocket::readyRead, [&] { acks += sender->readAll(); });
    sender->write(bytes);
  });
  OfferFromPeer(server, "ahead.bin", bytes.size());
  ASSERT_TRUE(WaitUntil([&] { return acks.size() >= 4 && acks.right(4) == Ack(100000); }));
  sender->disconnectFromHost();
  EXPECT_TRUE(Saw("OnDisconnectRecv\t0\t1"));
  EXPECT_EQ(acks.size() % 4, 0);
  EXPECT_EQ(ReadBytes(Path("ahead.bin")), bytes);
}

TEST_F(DccPeerTest, SenderLeavingEarlyKeepsWhatArrived) {
  const QByteArray bytes = RandomBytes(5000, 15);
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
  QObject::connect(&server, &QTcpServer::newConnection, [&] {
    QTcpSocket* sender = server.nextPendingConnection();
    sender->write(bytes.left(3000));
    sender->disconnectFromHost();
  });
  OfferFromPeer(server, "early.bin", bytes.size());
  EXPECT_TRUE(Saw("OnDisconnectRecv\t0\t0"));
  EXPECT_EQ(ReadBytes(Path("early.bin")), bytes.left(3000));
}

TEST_F(DccPeerTest, HostileNamesStayInsideTheFolderAndMalformedOffersAreHarmless) {
  QTcpServer server;
  ASSERT_TRUE(server.listen(QHostAddress::LocalHost));
  int connections = 0;
  QObject::connect(&server, &QTcpServer::newConnection, [&] {
    QTcpSocket* sender = server.nextPendingConnection();
    ++connections;
    sender->write("x");
    sender->disconnectFromHost();
  });
  OfferFromPeer(server, "../../escape.bin", 1);
  OfferFromPeer(server, "/tmp/abs.bin", 1);
  EXPECT_TRUE(Saw("OnDisconnectRecv\t1\t1"));
  EXPECT_EQ(ReadBytes(Path("escape.bin")), "x");
  EXPECT_EQ(ReadBytes(Path("abs.bin")), "x");
  EXPECT_FALSE(QFileInfo::exists(QDir(dir_.path()).absoluteFilePath("../../escape.bin")));

  for (const char* line : {":p!u@h PRIVMSG me :\x01" "DCC SEND\x01", ":p!u@h PRIVMSG me :\x01" "DCC SEND  \x01",
                           ":p!u@h PRIVMSG me :\x01" "DCC ACCEPT\x01", ":p!u@h PRIVMSG me :\x01" "DCC RESUME x\x01",
                           ":p!u@h PRIVMSG me :\x01" "DCC CHAT\x01", ":p!u@h PRIVMSG me :\x01" "DCC"})
    engine_.SimulateLine(line);
  SpinFor(200);
  EXPECT_EQ(connections, 2);
}
