// Wire cases two engines never produce, played by a raw peer over loopback.
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTcpServer>
#include <QTcpSocket>
#include <algorithm>
#include <arpa/inet.h>
#include <linux/sockios.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include "C_dccfile.h"
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

  // The engine offers `bytes` as data.bin; a raw peer connects to the offered port.
  std::unique_ptr<QTcpSocket> OfferToPeer(const QByteArray& bytes) {
    EXPECT_TRUE(WriteBytes(QString::fromStdString(Path("source")), bytes));
    OfferSource();
    return ConnectPeer();
  }
  void ConnectToServer() {
    if (side_.engine.state != TZoEngine::Idle) return;
    side_.engine.SetAddress("127.0.0.1");
    side_.engine.SetPort(irc_.Port());
    side_.engine.Connect();
    EXPECT_TRUE(irc_.WaitForClient());
  }
  void OfferSource() {
    ConnectToServer();
    const int seqnum = side_.engine.SendFile("peer", "data.bin", FileOpen(Path("source").c_str(), true, false));
    EXPECT_TRUE(WaitUntil([&] { return irc_.Received().count("\x01\r\n") == seqnum + 1; }));
    auto offers = QRegularExpression("DCC SEND data.bin \\d+ (\\d+) ").globalMatch(QString::fromLatin1(irc_.Received()));
    while (offers.hasNext()) port_ = offers.next().captured(1);
  }
  std::unique_ptr<QTcpSocket> ConnectPeer() {
    auto peer = std::make_unique<QTcpSocket>();
    peer->connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port_.toUInt()));
    EXPECT_TRUE(peer->waitForConnected(5000));
    return peer;
  }

  // A raw sender that writes all of `bytes` at once, ahead of any
  // acknowledgement, offered to the engine as `name` of `size` bytes.
  void OfferFromRawSender(const std::string& name, uint64_t size, const QByteArray& bytes, bool closeEarly) {
    ASSERT_TRUE(sender_.listen(QHostAddress::LocalHost));
    QObject::connect(&sender_, &QTcpServer::newConnection, [this, bytes, closeEarly] {
      link_ = sender_.nextPendingConnection();
      QObject::connect(link_, &QTcpSocket::readyRead, [this] { acks_ += link_->readAll(); });
      link_->write(bytes);
      if (closeEarly) link_->disconnectFromHost();  // part of the file arrives with the close
    });
    const std::string offer = ":peer!u@h PRIVMSG me :\x01" "DCC SEND " + name + " 2130706433 " +
                              std::to_string(sender_.serverPort()) + " " + std::to_string(size) + "\x01";
    side_.engine.SimulateLine(offer.c_str());
  }

  QTemporaryDir dir_;
  DccSide side_;
  ScriptedServer irc_;
  QString port_;
  QTcpServer sender_;
  QTcpSocket* link_ = nullptr;  // owned by sender_
  QByteArray acks_;
};

struct SenderCase {
  const char* name;
  int size;
  int sent;
};

class DccRawSenderTest : public DccPeerTest, public testing::WithParamInterface<SenderCase> {};

}  // namespace

TEST_F(DccPeerTest, SplitAcknowledgementsNeverMakeTheSenderRepeat) {
  const QByteArray bytes = RandomBytes(5000, 11);
  auto peer = OfferToPeer(bytes);
  QByteArray got;
  ASSERT_TRUE(WaitBytes(*peer, &got, 2048));
  // The block read in two pieces (progress only), and half of the next
  // acknowledgement: handled in one go, so no block can have gone out since.
  peer->write(Ack(1000) + Ack(2048).left(2));
  ASSERT_TRUE(side_.WaitFor("OnSentPack\t0\t0\t2048\t1000"));
  EXPECT_EQ(side_.Events({"OnSentPack"}).size(), 2u);

  peer->write(Ack(2048).mid(2));
  ASSERT_TRUE(WaitBytes(*peer, &got, 4096));
  peer->write(Ack(4096));
  ASSERT_TRUE(WaitBytes(*peer, &got, 5000));
  peer->write(Ack(5000));
  EXPECT_TRUE(side_.WaitFor("OnDisconnectSend\t0\t1"));
  EXPECT_TRUE(WaitUntil([&] { return peer->state() == QAbstractSocket::UnconnectedState; }));
  EXPECT_EQ(got + peer->readAll(), bytes);
}

TEST_F(DccPeerTest, ResumeArrivingMidTransferMovesNothing) {
  const QByteArray bytes = RandomBytes(5000, 14);
  auto peer = OfferToPeer(bytes);
  QByteArray got;
  ASSERT_TRUE(WaitBytes(*peer, &got, 2048));
  side_.engine.SimulateLine((":peer!u@h PRIVMSG me :\x01" "DCC RESUME data.bin " + port_.toStdString() + " 0\x01").c_str());
  peer->write(Ack(2048));
  ASSERT_TRUE(WaitBytes(*peer, &got, 4096));
  EXPECT_EQ(got, bytes.left(4096));
}

// A receiver claiming bytes it cannot have had: ahead of the block sent, or
// the whole file after the first block.
TEST_F(DccPeerTest, AcknowledgingUnsentBytesIsAFailedSend) {
  for (const uint32_t claim : {4096u, 5000u, 2049u}) {
    SCOPED_TRACE(claim);
    auto peer = OfferToPeer(RandomBytes(5000, claim));
    QByteArray got;
    ASSERT_TRUE(WaitBytes(*peer, &got, 2048));
    peer->write(Ack(claim));
    EXPECT_TRUE(side_.WaitFor("OnDisconnectSend\t" + std::to_string(side_.Events({"OnSendReady"}).size() - 1) + "\t0"));
    EXPECT_EQ(side_.Events({"OnDisconnectSend"}).size(), side_.Events({"OnSendReady"}).size());
    for (const std::string& line : side_.Events({"OnDisconnectSend"})) EXPECT_EQ(line.back(), '0');
  }
}

// Beyond 4 GiB the offer carries the 64-bit size and acknowledgements wrap at 2^32.
TEST_F(DccPeerTest, SendBeyondFourGibibytesTakesWrappedAcknowledgements) {
  constexpr uint64_t kSize = (uint64_t{1} << 32) + 3000;
  const FileHandle source = FileOpen(Path("source").c_str(), false, false);
  ASSERT_EQ(ftruncate(source, static_cast<off_t>(kSize)), 0);  // sparse: reads as zeros
  FileClose(source);
  OfferSource();
  EXPECT_TRUE(irc_.Received().contains(" 4294970296\x01\r\n"));
  side_.engine.SimulateLine((":peer!u@h PRIVMSG me :\x01" "DCC RESUME data.bin " + port_.toStdString() +
                             " 4294967296\x01").c_str());
  ASSERT_TRUE(irc_.WaitForText(("DCC ACCEPT data.bin " + port_ + " 4294967296").toLatin1()));
  auto peer = ConnectPeer();
  QByteArray got;
  ASSERT_TRUE(WaitBytes(*peer, &got, 2048));
  peer->write(Ack(2048));
  ASSERT_TRUE(WaitBytes(*peer, &got, 3000));
  peer->write(Ack(3000));
  EXPECT_TRUE(side_.WaitFor("OnDisconnectSend\t0\t1"));
  EXPECT_TRUE(side_.Saw("OnSentPack\t0\t0\t4294970296\t4294970296"));
}

TEST_F(DccPeerTest, ReceiveBeyondFourGibibytesAcknowledgesModulo) {
  constexpr uint64_t kHeld = (uint64_t{1} << 32) + 10;
  const FileHandle held = FileOpen(Path("big.bin").c_str(), false, false);
  ASSERT_EQ(ftruncate(held, static_cast<off_t>(kHeld)), 0);
  FileClose(held);
  OfferFromRawSender("big.bin", kHeld + 10, QByteArray(10, 'x'), false);
  side_.engine.SimulateLine((":peer!u@h PRIVMSG me :\x01" "DCC ACCEPT big.bin " +
                             std::to_string(sender_.serverPort()) + " 4294967306\x01").c_str());
  ASSERT_TRUE(WaitUntil([&] { return acks_.endsWith(Ack(20)); }));
  link_->disconnectFromHost();
  EXPECT_TRUE(side_.WaitFor("OnDisconnectRecv\t0\t1"));
  EXPECT_TRUE(side_.Saw("OnRecvPack\t0\t10\t4294967316"));
}

TEST_F(DccPeerTest, ReceiveKeepsNoMoreThanTheOfferedSize) {
  const QByteArray bytes = RandomBytes(1 << 20, 16);
  OfferFromRawSender("ten.bin", 10, bytes, false);
  EXPECT_TRUE(side_.WaitFor("OnDisconnectRecv\t0\t0"));
  EXPECT_EQ(ReadBytes(QString::fromStdString(Path("ten.bin"))), bytes.left(10));
}

TEST_F(DccPeerTest, AWriteThatFailsEndsTheReceiveAsFailed) {
  side_.target = [](const char*, uint32_t) { return FileOpen("/dev/full", false, true); };
  OfferFromRawSender("full.bin", 5000, RandomBytes(5000, 15), false);
  EXPECT_TRUE(side_.WaitFor("OnDisconnectRecv\t0\t0"));
  EXPECT_TRUE(acks_.isEmpty());
}

TEST_P(DccRawSenderTest, ReceiverKeepsExactlyWhatArrived) {
  const SenderCase& c = GetParam();
  const bool early = c.sent < c.size;
  const QByteArray bytes = RandomBytes(c.sent, c.size);
  OfferFromRawSender(c.name, c.size, bytes, early);
  if (!early) {
    ASSERT_TRUE(WaitUntil([&] { return acks_.endsWith(Ack(c.sent)); }));
    link_->disconnectFromHost();
  }
  EXPECT_TRUE(side_.WaitFor("OnDisconnectRecv\t0\t" + std::to_string(!early)));
  EXPECT_EQ(acks_.size() % 4, 0);
  EXPECT_EQ(QDir(dir_.path()).entryList(QDir::Files), QStringList{c.name});
  EXPECT_TRUE(ReadBytes(QString::fromStdString(Path(c.name))) == bytes);
}

INSTANTIATE_TEST_SUITE_P(Offers, DccRawSenderTest,
                         testing::Values(SenderCase{"ahead.bin", 100000, 100000},
                                         SenderCase{"early.bin", 5000, 3000}),
                         CaseName<SenderCase>);

// A sender that resets the connection right after writing, before this side
// has read anything: every byte that reached this side is still kept, the
// receive fails, and the next offer of the file resumes after those bytes.
TEST_F(DccPeerTest, ResetBySenderKeepsWhatArrivedAndResumes) {
  ConnectToServer();
  const QByteArray bytes = RandomBytes(30000, 31);
  OfferFromRawSender("reset.bin", 100000, QByteArray(), false);
  ASSERT_TRUE(side_.WaitFor("OnConnectRecv\t0"));
  ASSERT_TRUE(WaitUntil([&] { return link_ != nullptr; }));
  const int fd = static_cast<int>(link_->socketDescriptor());
  ASSERT_EQ(send(fd, bytes.constData(), bytes.size(), 0), bytes.size());
  int unsent = -1;
  ASSERT_EQ(ioctl(fd, SIOCOUTQ, &unsent), 0);
  ASSERT_EQ(unsent, 0);  // all of it is with the receiver's kernel
  const linger reset{1, 0};
  ASSERT_EQ(setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset), 0);
  link_->abort();

  EXPECT_TRUE(side_.WaitFor("OnDisconnectRecv\t0\t0"));
  EXPECT_EQ(ReadBytes(QString::fromStdString(Path("reset.bin"))), bytes);
  sender_.close();
  link_ = nullptr;
  OfferFromRawSender("reset.bin", 100000, QByteArray(), false);
  EXPECT_TRUE(irc_.WaitForText("DCC RESUME reset.bin " + QByteArray::number(sender_.serverPort()) + " 30000"));
}

// A chat peer that writes its last lines, the very last one unended, and
// resets the connection at once: every line is still shown, then the end.
TEST_F(DccPeerTest, ChatResetByPeerKeepsItsLastLines) {
  ConnectToServer();
  EXPECT_EQ(side_.engine.SendChatRequest("peer"), 0);
  ASSERT_TRUE(irc_.WaitForText("\x01\r\n"));
  port_ = QRegularExpression("DCC CHAT chat \\d+ (\\d+)").match(QString::fromLatin1(irc_.Received())).captured(1);
  const std::unique_ptr<QTcpSocket> peer = ConnectPeer();
  ASSERT_TRUE(side_.WaitFor("OnDCCChatConnect\t0"));
  QByteArray lines;
  for (int i = 0; i < 300; ++i) lines += "line " + QByteArray::number(i) + "\r\n";
  lines += "last words";
  const int fd = static_cast<int>(peer->socketDescriptor());
  ASSERT_EQ(send(fd, lines.constData(), lines.size(), 0), lines.size());
  const linger reset{1, 0};
  ASSERT_EQ(setsockopt(fd, SOL_SOCKET, SO_LINGER, &reset, sizeof reset), 0);
  peer->abort();

  ASSERT_TRUE(side_.WaitFor("OnDCCChatDisconnect\t0"));
  const std::vector<std::string> got = side_.Events({"OnDCCChatMessage"});
  ASSERT_EQ(got.size(), 301u);
  EXPECT_EQ(got[299], "OnDCCChatMessage\t0\tline 299\\r");
  EXPECT_EQ(got[300], "OnDCCChatMessage\t0\tlast words");
}

// Two senders offer one name at once: the second receive must not share the
// first one's file, and each file holds exactly one sender's bytes.
TEST_F(DccPeerTest, SecondReceiveOfANameInProgressWritesBesideIt) {
  side_.target = [this](const char* name, uint64_t) { return FileOpen(Path(name).c_str(), false, true); };
  QTcpServer senders[2];
  QTcpSocket* links[2] = {};
  QByteArray acks[2];
  const QByteArray bytes[2] = {RandomBytes(3000, 21), RandomBytes(2000, 22)};
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(senders[i].listen(QHostAddress::LocalHost));
    QObject::connect(&senders[i], &QTcpServer::newConnection, [&, i] {
      links[i] = senders[i].nextPendingConnection();
      QObject::connect(links[i], &QTcpSocket::readyRead, [&, i] { acks[i] += links[i]->readAll(); });
    });
    side_.engine.SimulateLine((":peer" + std::to_string(i) + "!u@h PRIVMSG me :\x01" "DCC SEND same.bin 2130706433 " +
                               std::to_string(senders[i].serverPort()) + " " + std::to_string(bytes[i].size()) + "\x01")
                                  .c_str());
  }
  ASSERT_TRUE(WaitUntil([&] { return links[0] && links[1]; }));
  for (int i = 0; i < 2; ++i) links[i]->write(bytes[i]);
  ASSERT_TRUE(WaitUntil([&] { return acks[0].endsWith(Ack(3000)) && acks[1].endsWith(Ack(2000)); }));
  EXPECT_EQ(side_.engine.RecvFilePath(1), Path("same (1).bin"));
  for (QTcpSocket* link : links) link->disconnectFromHost();
  EXPECT_TRUE(side_.WaitFor("OnDisconnectRecv\t0\t1"));
  EXPECT_TRUE(side_.WaitFor("OnDisconnectRecv\t1\t1"));
  EXPECT_EQ(ReadBytes(QString::fromStdString(Path("same.bin"))), bytes[0]);
  EXPECT_EQ(ReadBytes(QString::fromStdString(Path("same (1).bin"))), bytes[1]);
}

// Offers that never connect give back their socket and file, and one peer
// cannot hold more than a few at once.
TEST_F(DccPeerTest, OffersThatNeverConnectTimeOutAndArePerPeerBounded) {
  side_.engine.SetDCCConnectTimeout(300);
  int opened = 0;
  side_.target = [&](const char* name, uint64_t) {
    ++opened;
    const FileHandle file = FileOpen(Path(name).c_str(), false, true);
    if (strcmp(name, "empty.bin") != 0) FileWrite(file, "x", 1);  // held data: waits for an ACCEPT that never comes
    return file;
  };
  QTcpServer closed;
  ASSERT_TRUE(closed.listen(QHostAddress::LocalHost));
  const std::string refused = std::to_string(closed.serverPort());
  closed.close();
  const auto offer = [&](const std::string& nick, const std::string& name) {
    side_.engine.SimulateLine((":" + nick + "!u@h PRIVMSG me :\x01" "DCC SEND " + name + " 2130706433 " + refused +
                               " 10\x01").c_str());
  };
  for (int i = 0; i < 12; ++i) offer("flood", "f" + std::to_string(i));
  EXPECT_EQ(opened, CZoDCCRecvs::kMaxPendingPerPeer);
  offer("other", "empty.bin");  // refused at once, and the empty file it got goes again
  EXPECT_TRUE(side_.WaitFor("OnDisconnectRecv\t8\t0"));
  EXPECT_FALSE(QFileInfo::exists(QString::fromStdString(Path("empty.bin"))));
  EXPECT_TRUE(WaitUntil([&] { return side_.Events({"OnDisconnectRecv"}).size() == 9; }));
  EXPECT_EQ(ReadBytes(QString::fromStdString(Path("f0"))), "x");
  offer("flood", "later.bin");
  EXPECT_EQ(opened, CZoDCCRecvs::kMaxPendingPerPeer + 2);
}
