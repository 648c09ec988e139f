// File transfers between two engines through a real IRC server.
#include <QCryptographicHash>
#include <QFileInfo>

#include "dcc_fixture.h"
#include "wait_until.h"

namespace {

struct TransferCase {
  const char* name;
  int size;
  int held;                         // bytes the target already holds
  std::vector<std::string> blocks;  // the sender's reports of blocks that carried data
};

std::vector<std::string> Blocks(const DccSide& side) {
  std::vector<std::string> blocks;
  for (const std::string& line : side.Events({"OnSentPack"}))
    if (line.rfind("OnSentPack\t0\t0\t", 0) != 0) blocks.push_back(line);
  return blocks;
}

QByteArray Sha256(const QByteArray& bytes) { return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256); }

class DccTransferTest : public DccNgircdTest, public testing::WithParamInterface<TransferCase> {};

}  // namespace

TEST_P(DccTransferTest, ArrivesWholeAndBothSidesReportSuccess) {
  const TransferCase& c = GetParam();
  DccSide& alice = AddSide();
  DccSide& bob = AddSide();
  const QByteArray bytes = RandomBytes(c.size, c.size + c.held);
  if (c.held) {
    ASSERT_TRUE(WriteBytes(Path("got"), bytes.left(c.held)));
  }
  bob.target = [this](const char*, uint32_t) { return Append("got"); };
  Offer(alice, bob.nick, c.name, bytes);

  ASSERT_TRUE(bob.WaitFor("OnDisconnectRecv\t0\t1", 30000));
  ASSERT_TRUE(alice.WaitFor("OnDisconnectSend\t0\t1"));
  EXPECT_TRUE(QFileInfo::exists(Path("got")));
  EXPECT_EQ(Sha256(ReadBytes(Path("got"))), Sha256(bytes));
  const std::string size = std::to_string(c.size);
  const std::string request = "OnSendRequest\t0\t" + alice.nick + "\t" + c.name + "\t" + size + "\t";
  EXPECT_EQ(bob.Events({"OnSendRequest"}).at(0).rfind(request, 0), 0u);
  EXPECT_EQ(alice.Events({"OnSentPack"}).back(), "OnSentPack\t0\t0\t" + size + "\t" + size);
  if (c.size < 1 << 20) {  // a big file's blocks are too many to list
    EXPECT_EQ(Blocks(alice), c.blocks);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Files, DccTransferTest,
    testing::Values(TransferCase{"five.bin", 5000, 0,
                                 {"OnSentPack\t0\t2048\t2048\t0", "OnSentPack\t0\t2048\t4096\t2048",
                                  "OnSentPack\t0\t904\t5000\t4096"}},
                    TransferCase{"empty.bin", 0, 0, {}},
                    // The blank makes RESUME and ACCEPT quote the name.
                    TransferCase{"whole file.bin", 5000, 3000, {"OnSentPack\t0\t2000\t5000\t3000"}},
                    TransferCase{"done.bin", 5000, 5000, {}},
                    // Resumed at an odd place well into the file, past what the sender reads at once.
                    TransferCase{"far.bin", 5 * 1024 * 1024 / 2 + 5, (1 << 20) + 1001, {}}),
    CaseName<TransferCase>);

TEST_F(DccNgircdTest, CancelInsideAnEventKeepsThePartReceived) {
  DccSide& alice = AddSide();
  DccSide& bob = AddSide();
  const QByteArray bytes = RandomBytes(400000, 4);
  bob.target = [this](const char*, uint32_t) { return Append("half.bin"); };
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
  EXPECT_TRUE(bob.Events({"OnDisconnectRecv"}).empty());
  EXPECT_GE(last, 200000u);
  EXPECT_TRUE(ReadBytes(Path("half.bin")) == bytes.left(static_cast<int>(last)));
}

TEST_F(DccNgircdTest, SameNameFromTwoSendersResumesEachIntoItsOwnFile) {
  DccSide& alice = AddSide();
  DccSide& carol = AddSide();
  DccSide& bob = AddSide();
  const QByteArray fromAlice = RandomBytes(9000, 5);
  const QByteArray fromCarol = RandomBytes(7000, 6);
  ASSERT_TRUE(WriteBytes(Path("a.part"), fromAlice.left(1000)));
  ASSERT_TRUE(WriteBytes(Path("c.part"), fromCarol.left(6000)));
  bob.target = [this](const char*, uint64_t size) { return Append(size == 9000 ? "a.part" : "c.part"); };
  Offer(alice, bob.nick, "same.bin", fromAlice);
  Offer(carol, bob.nick, "same.bin", fromCarol);
  ASSERT_TRUE(bob.WaitFor("OnDisconnectRecv\t0\t1"));
  ASSERT_TRUE(bob.WaitFor("OnDisconnectRecv\t1\t1"));
  EXPECT_EQ(ReadBytes(Path("a.part")), fromAlice);
  EXPECT_EQ(ReadBytes(Path("c.part")), fromCarol);
}

// Offers answered later, outside their events: a file accepted onto a held
// part resumes and arrives whole; a cancelled file offer and a declined chat
// connect nowhere (by the end of the transfer, long after any such connect);
// answers for numbers that wait for none are refused.
TEST_F(DccNgircdTest, OffersAnsweredLater) {
  DccSide& alice = AddSide();
  DccSide& bob = AddSide();
  const QByteArray bytes = RandomBytes(6000, 9);
  ASSERT_TRUE(WriteBytes(Path("later.bin"), bytes.left(2500)));
  bob.target = [](const char*, uint64_t) { return kFileAskLater; };
  bob.acceptChat = kChatAskLater;
  Offer(alice, bob.nick, "later.bin", bytes);
  Offer(alice, bob.nick, "never.bin", bytes);
  alice.engine.SendChatRequest(bob.nick.c_str());
  ASSERT_TRUE(bob.WaitForPart("OnSendRequest", "never.bin", 10000));
  ASSERT_TRUE(bob.WaitForPart("OnDCCChat", alice.nick, 10000));

  const FileHandle held = Append("later.bin");
  EXPECT_FALSE(bob.engine.AcceptRecv(2, held));
  EXPECT_TRUE(bob.engine.AcceptRecv(0, held));
  EXPECT_TRUE(bob.engine.CancelRecv(1));
  EXPECT_FALSE(bob.engine.DeclineRecv(1));
  EXPECT_TRUE(bob.engine.DeclineChat(0));
  EXPECT_FALSE(bob.engine.AcceptChat(0));
  ASSERT_TRUE(bob.WaitFor("OnDisconnectRecv\t0\t1", 20000));
  EXPECT_EQ(ReadBytes(Path("later.bin")), bytes);
  EXPECT_EQ(Blocks(alice).at(0), "OnSentPack\t0\t2048\t4548\t2500");
  EXPECT_EQ(alice.Events({"OnConnectForSend", "OnDCCChatConnect"}), std::vector<std::string>{"OnConnectForSend\t0"});
}
