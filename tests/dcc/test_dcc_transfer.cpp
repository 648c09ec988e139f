// File transfers between two engines through a real IRC server.
#include <QCryptographicHash>
#include <QFileInfo>

#include "dcc_fixture.h"
#include "wait_until.h"

namespace {

// The target file in the test's folder, opened for appending as the windows do.
std::function<FileHandle(const char*, uint32_t)> AppendInto(const QString& path) {
  return [path](const char*, uint32_t) { return FileOpen(path.toUtf8().constData(), false, true); };
}

std::vector<std::string> Blocks(const DccSide& side) {
  std::vector<std::string> blocks;
  for (const std::string& args : side.Args("OnSentPack"))
    if (args.find("\t0\t") != 1) blocks.push_back(args);
  return blocks;
}

// The numbers of an event line's arguments.
std::vector<uint32_t> Numbers(const std::string& args) {
  std::vector<uint32_t> numbers;
  size_t start = 0;
  while (start <= args.size()) {
    numbers.push_back(static_cast<uint32_t>(std::stoul(args.substr(start))));
    const size_t tab = args.find('\t', start);
    if (tab == std::string::npos) break;
    start = tab + 1;
  }
  return numbers;
}

}  // namespace

TEST_F(DccNgircdTest, SendsInBlocksAndBothSidesReportSuccess) {
  DccSide& alice = AddSide();
  DccSide& bob = AddSide();
  const QByteArray bytes = RandomBytes(5000, 1);
  bob.target = AppendInto(Path("got.bin"));
  const int seq = Offer(alice, bob.nick, "five.bin", bytes);
  EXPECT_EQ(seq, 0);
  EXPECT_TRUE(alice.Has("OnSendReady\t0\t" + bob.nick + "\tfive.bin\t5000"));

  ASSERT_TRUE(bob.WaitFor("OnDisconnectRecv\t0\t1"));
  ASSERT_TRUE(alice.WaitFor("OnDisconnectSend\t0\t1"));
  EXPECT_EQ(Blocks(alice), (std::vector<std::string>{"0\t2048\t2048\t0", "0\t2048\t4096\t2048", "0\t904\t5000\t4096"}));
  EXPECT_EQ(alice.Args("OnSentPack").back(), "0\t0\t5000\t5000");
  EXPECT_EQ(bob.Args("OnSendRequest").at(0).rfind("0\t" + alice.nick + "\tfive.bin\t5000\t", 0), 0u);
  EXPECT_EQ(Numbers(bob.Args("OnRecvPack").back())[2], 5000u);
  EXPECT_EQ(ReadBytes(Path("got.bin")), bytes);
}

TEST_F(DccNgircdTest, EmptyFileEndsAtOnce) {
  DccSide& alice = AddSide();
  DccSide& bob = AddSide();
  bob.target = AppendInto(Path("empty.got"));
  Offer(alice, bob.nick, "empty.bin", QByteArray());
  ASSERT_TRUE(alice.WaitFor("OnDisconnectSend\t0\t1"));
  ASSERT_TRUE(bob.WaitFor("OnDisconnectRecv\t0\t1"));
  EXPECT_EQ(alice.Args("OnSentPack"), std::vector<std::string>{"0\t0\t0\t0"});
  EXPECT_TRUE(QFileInfo::exists(Path("empty.got")));
  EXPECT_EQ(QFileInfo(Path("empty.got")).size(), 0);
}

TEST_F(DccNgircdTest, ResumesFromWhatTheTargetHolds) {
  DccSide& alice = AddSide();
  DccSide& bob = AddSide();
  const QByteArray bytes = RandomBytes(5000, 2);
  ASSERT_TRUE(WriteBytes(Path("part.bin"), bytes.left(3000)));
  bob.target = AppendInto(Path("part.bin"));
  Offer(alice, bob.nick, "whole file.bin", bytes);

  ASSERT_TRUE(bob.WaitFor("OnDisconnectRecv\t0\t1"));
  ASSERT_TRUE(alice.WaitFor("OnDisconnectSend\t0\t1"));
  EXPECT_EQ(ReadBytes(Path("part.bin")), bytes);
  // The first block starts where the receiver stood, and only the rest travels.
  EXPECT_EQ(Blocks(alice), std::vector<std::string>{"0\t2000\t5000\t3000"});
  const std::vector<uint32_t> first = Numbers(bob.Args("OnRecvPack").front());
  EXPECT_EQ(first[2], 3000 + first[1]);
  const auto resumes = alice.Args("OnDCC");
  ASSERT_FALSE(resumes.empty());
  EXPECT_NE(resumes.back().find("\tRESUME\twhole file.bin\t"), std::string::npos);
  EXPECT_NE(bob.Args("OnDCC").back().find("\tACCEPT\twhole file.bin\t"), std::string::npos);
}

TEST_F(DccNgircdTest, CompleteTargetEndsWithSuccessAndStaysUnchanged) {
  DccSide& alice = AddSide();
  DccSide& bob = AddSide();
  const QByteArray bytes = RandomBytes(5000, 3);
  ASSERT_TRUE(WriteBytes(Path("done.bin"), bytes));
  bob.target = AppendInto(Path("done.bin"));
  Offer(alice, bob.nick, "done.bin", bytes);
  ASSERT_TRUE(alice.WaitFor("OnDisconnectSend\t0\t1"));
  ASSERT_TRUE(bob.WaitFor("OnDisconnectRecv\t0\t1"));
  EXPECT_EQ(alice.Args("OnSentPack"), std::vector<std::string>{"0\t0\t5000\t5000"});
  EXPECT_EQ(ReadBytes(Path("done.bin")), bytes);
}

TEST_F(DccNgircdTest, CancelInsideAnEventKeepsThePartReceived) {
  DccSide& alice = AddSide();
  DccSide& bob = AddSide();
  const QByteArray bytes = RandomBytes(400000, 4);
  bob.target = AppendInto(Path("half.bin"));
  uint32_t last = 0;
  auto record = bob.engine.OnRecvPack;
  bob.engine.OnRecvPack = [&](int seq, uint32_t written, uint32_t position) {
    record(seq, written, position);
    last = position;
    if (position >= 200000) {
      EXPECT_TRUE(bob.engine.CancelRecv(seq));
    }
  };
  Offer(alice, bob.nick, "half.bin", bytes);
  ASSERT_TRUE(alice.WaitFor("OnDisconnectSend\t0\t0"));
  EXPECT_FALSE(bob.engine.CancelRecv(0));
  EXPECT_TRUE(bob.Args("OnDisconnectRecv").empty());
  EXPECT_GE(last, 200000u);
  EXPECT_EQ(ReadBytes(Path("half.bin")), bytes.left(static_cast<int>(last)));
}

TEST_F(DccNgircdTest, SameNameFromTwoSendersResumesEachIntoItsOwnFile) {
  DccSide& alice = AddSide();
  DccSide& carol = AddSide();
  DccSide& bob = AddSide();
  const QByteArray fromAlice = RandomBytes(9000, 5);
  const QByteArray fromCarol = RandomBytes(7000, 6);
  ASSERT_TRUE(WriteBytes(Path("a.part"), fromAlice.left(1000)));
  ASSERT_TRUE(WriteBytes(Path("c.part"), fromCarol.left(6000)));
  bob.target = [&](const char*, uint32_t size) {
    return FileOpen(Path(size == 9000 ? "a.part" : "c.part").toUtf8().constData(), false, true);
  };
  Offer(alice, bob.nick, "same.bin", fromAlice);
  Offer(carol, bob.nick, "same.bin", fromCarol);
  ASSERT_TRUE(bob.WaitFor("OnDisconnectRecv\t0\t1"));
  ASSERT_TRUE(bob.WaitFor("OnDisconnectRecv\t1\t1"));
  EXPECT_EQ(ReadBytes(Path("a.part")), fromAlice);
  EXPECT_EQ(ReadBytes(Path("c.part")), fromCarol);
}

TEST_F(DccNgircdTest, MegabytesArriveIntact) {
  DccSide& alice = AddSide();
  DccSide& bob = AddSide();
  const QByteArray bytes = RandomBytes(3 * 1024 * 1024 + 17, 7);
  bob.target = AppendInto(Path("big.bin"));
  Offer(alice, bob.nick, "big.bin", bytes);
  ASSERT_TRUE(bob.WaitFor("OnDisconnectRecv\t0\t1", 120000));
  ASSERT_TRUE(alice.WaitFor("OnDisconnectSend\t0\t1"));
  EXPECT_EQ(QCryptographicHash::hash(ReadBytes(Path("big.bin")), QCryptographicHash::Sha256),
            QCryptographicHash::hash(bytes, QCryptographicHash::Sha256));
}

TEST_F(DccNgircdTest, DeclinedOfferSendsNothingAndCancelledSendIsGone) {
  DccSide& alice = AddSide();
  DccSide& bob = AddSide();
  Offer(alice, bob.nick, "nope.bin", RandomBytes(100, 8));
  ASSERT_TRUE(WaitUntil([&] { return !bob.Args("OnSendRequest").empty(); }));
  SpinFor(300);
  EXPECT_TRUE(alice.Args("OnConnectForSend").empty());
  EXPECT_TRUE(alice.engine.CancelSend(0));
  EXPECT_FALSE(alice.engine.CancelSend(0));
  EXPECT_FALSE(bob.engine.CancelRecv(0));
}
