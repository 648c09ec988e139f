// DCC chats between two engines through a real IRC server.
#include "C_dccchat.h"
#include "dcc_fixture.h"
#include "wait_until.h"

class DccChatTest : public DccNgircdTest {
 protected:
  // Alice asks Bob for a chat and Bob accepts; waits until both are connected.
  int OpenChat(DccSide& alice, DccSide& bob) {
    const int seq = alice.engine.SendChatRequest(bob.nick.c_str());
    const size_t before = bob.Args("OnDCCChatConnect").size();
    EXPECT_TRUE(alice.WaitFor("OnDCCChatConnect\t" + std::to_string(seq)));
    EXPECT_TRUE(WaitUntil([&] { return bob.Args("OnDCCChatConnect").size() > before; }));
    return seq;
  }
};

TEST_F(DccChatTest, LinesSplitAcrossReadsArriveWholeInBothDirections) {
  DccSide& alice = AddSide();
  DccSide& bob = AddSide();
  bob.acceptChat = true;
  const int seq = OpenChat(alice, bob);
  EXPECT_EQ(bob.Args("OnDCCChat").at(0).rfind("0\t" + alice.nick + "\t127.0.0.1\t", 0), 0u);

  for (const char* piece : {"hel", "lo wor", "ld\r\nsecond\n\nthi"}) {
    EXPECT_TRUE(alice.engine.SendChatMsg(seq, piece));
    SpinFor(50);
  }
  ASSERT_TRUE(bob.WaitFor("OnDCCChatMessage\t0\t"));
  EXPECT_EQ(bob.Args("OnDCCChatMessage"),
            (std::vector<std::string>{"0\thello world\\r", "0\tsecond", "0\t"}));

  EXPECT_TRUE(bob.engine.SendChatMsg(0, "back\r\n"));
  EXPECT_TRUE(alice.WaitFor("OnDCCChatMessage\t" + std::to_string(seq) + "\tback\\r"));
}

TEST_F(DccChatTest, TwoChatsKeepTheirOwnPartialLines) {
  DccSide& alice = AddSide();
  DccSide& bob = AddSide();
  bob.acceptChat = true;
  const int first = OpenChat(alice, bob);
  const int second = OpenChat(alice, bob);
  EXPECT_EQ(second, first + 1);
  alice.engine.SendChatMsg(first, "abc");
  alice.engine.SendChatMsg(second, "xyz");
  SpinFor(100);
  alice.engine.SendChatMsg(first, "def\n");
  alice.engine.SendChatMsg(second, "uvw\n");
  ASSERT_TRUE(bob.WaitFor("OnDCCChatMessage\t1\txyzuvw"));
  EXPECT_TRUE(bob.Has("OnDCCChatMessage\t0\tabcdef"));
  EXPECT_EQ(bob.Args("OnDCCChatMessage").size(), 2u);
}

TEST_F(DccChatTest, PeerCloseIsReportedAndTheChatSweptAway) {
  DccSide& alice = AddSide();
  DccSide& bob = AddSide();
  bob.acceptChat = true;
  const int seq = OpenChat(alice, bob);
  EXPECT_TRUE(bob.engine.CancelChat(0));
  EXPECT_FALSE(bob.engine.SendChatMsg(0, "gone\n"));
  ASSERT_TRUE(alice.WaitFor("OnDCCChatDisconnect\t" + std::to_string(seq)));
  EXPECT_TRUE(bob.Args("OnDCCChatDisconnect").empty());
  EXPECT_TRUE(WaitUntil([&] { return !alice.engine.SendChatMsg(seq, ""); }, 4000));
}

TEST_F(DccChatTest, DeclinedOfferUsesANumberAndSendsNothing) {
  DccSide& alice = AddSide();
  DccSide& bob = AddSide();
  const int declined = alice.engine.SendChatRequest(bob.nick.c_str());
  ASSERT_TRUE(WaitUntil([&] { return !bob.Args("OnDCCChat").empty(); }));
  const std::string offer = bob.Args("OnDCCChat").at(0);
  EXPECT_EQ(offer.rfind("0\t" + alice.nick + "\t127.0.0.1\t", 0), 0u);
  EXPECT_EQ(offer.substr(offer.size() - 2), "\t0");  // left declined
  bob.acceptChat = true;
  const int accepted = OpenChat(alice, bob);
  EXPECT_EQ(accepted, declined + 1);
  EXPECT_TRUE(bob.Has("OnDCCChatConnect\t1"));
  EXPECT_TRUE(alice.Args("OnDCCChatConnect") == std::vector<std::string>{std::to_string(accepted)});
  EXPECT_FALSE(alice.engine.SendChatMsg(7, "x"));
}

TEST(DccChatTable, OfferWithoutReceiverLeavesTheCounter) {
  CZoDCCChats chats([](const char*) {}, [] { return 0x7F000001u; });
  chats.Offer("peer", "127.0.0.1", 1);
  EXPECT_EQ(chats.Count(), 0);
  EXPECT_EQ(chats.SendChatRequest("peer"), 0);
  EXPECT_TRUE(chats.CancelChat(0));
  EXPECT_FALSE(chats.CancelChat(0));
}
