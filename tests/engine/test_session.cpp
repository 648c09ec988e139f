// Two engines in one process follow a whole session on a real ngircd.
#include <gtest/gtest.h>

#include <string>

#include "engine_recorder.h"
#include "ngircd_server.h"
#include "wait_until.h"

namespace {

class Session : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.Start());
    ASSERT_TRUE(alice.LogOn(server.Port(), "alice"));
    ASSERT_TRUE(bob.LogOn(server.Port(), "bob"));
    alice.engine.Send("JOIN #velko\r\n");
    ASSERT_TRUE(alice.WaitFor("OnNames\t#velko\t(null)"));
    bob.engine.Send("JOIN #velko\r\n");
    ASSERT_TRUE(bob.WaitFor("OnNames\t#velko\t(null)"));
    ASSERT_TRUE(alice.WaitFor("OnOtherJoin\t#velko\tbob"));
  }

  std::string Members(EngineRecorder& r) {
    CZoChannel* channel = r.engine.FindChan("#velko");
    ZoString text;
    const char* list = channel ? channel->MemberListText(&text) : nullptr;
    return list ? list : "(none)";
  }

  NgircdServer server;
  EngineRecorder alice;
  EngineRecorder bob;
};

}  // namespace

TEST_F(Session, JoinGivesBothSidesTheSameMembers) {
  EXPECT_TRUE(bob.Saw("OnOwnerJoin\t#velko"));
  EXPECT_TRUE(bob.Saw("OnNames\t#velko\tbob @alice") || bob.Saw("OnNames\t#velko\t@alice bob"));
  EXPECT_EQ(Members(alice), "@alice\r\nbob");
  EXPECT_EQ(bob.engine.FindUser("alice")->ChannelCount(), 1);
  EXPECT_STREQ(alice.engine.FindUser("bob")->Host(), "127.0.0.1");
}

TEST_F(Session, ModesAndTopicUpdateTheChannelEverywhere) {
  alice.engine.Send("MODE #velko +o bob\r\n");
  ASSERT_TRUE(bob.WaitFor("OnUserMode\t#velko\tbob\t+o"));
  alice.engine.Send("MODE #velko +tkl sesame 25\r\n");
  ASSERT_TRUE(bob.WaitFor("OnMode\t#velko\talice\t+tkl sesame 25"));
  bob.engine.Send("TOPIC #velko :fresh topic\r\n");
  ASSERT_TRUE(alice.WaitFor("OnTopic\t#velko\tbob\tfresh topic"));
  for (EngineRecorder* r : {&alice, &bob}) {
    CZoChannel* channel = r->engine.FindChan("#velko");
    EXPECT_STREQ(channel->Topic(), "fresh topic");
    EXPECT_STREQ(channel->Key(), "sesame");
    EXPECT_EQ(channel->Limit(), 25);
    ZoString name;
    EXPECT_STREQ(channel->MemberDisplayName("bob", &name), "@bob");
    EXPECT_STREQ(channel->MemberDisplayName("alice", &name), "@alice");
  }
  bob.engine.Send("MODE #velko\r\n");
  ASSERT_TRUE(WaitUntil([&] { return !bob.Events({"OnNMode"}).empty(); }));
  EXPECT_EQ(bob.Events({"OnNMode"}).front(), "OnNMode\t#velko\t+tkl sesame 25");
}

TEST_F(Session, PartKickAndQuitRemoveUsersAndChannels) {
  alice.engine.Send("JOIN #other\r\n");
  bob.engine.Send("JOIN #other\r\n");
  ASSERT_TRUE(alice.WaitFor("OnOtherJoin\t#other\tbob"));
  bob.engine.Send("PART #velko :later\r\n");
  ASSERT_TRUE(alice.WaitFor("OnOtherPart\t#velko\tbob\t:later"));
  ASSERT_TRUE(bob.WaitFor("OnOwnerPart\t#velko\t:later"));
  EXPECT_EQ(bob.engine.FindChan("#velko"), nullptr);
  EXPECT_EQ(alice.engine.FindUser("bob")->ChannelCount(), 1);

  alice.engine.Send("KICK #other bob :out\r\n");
  ASSERT_TRUE(bob.WaitFor("OnKick\t#other\talice\tbob\tout"));
  ASSERT_TRUE(alice.WaitFor("OnKick\t#other\talice\tbob\tout"));
  EXPECT_EQ(bob.engine.FindChan("#other"), nullptr);
  EXPECT_EQ(bob.engine.FindUser("alice"), nullptr);
  EXPECT_EQ(alice.engine.FindUser("bob"), nullptr);

  bob.engine.Send("JOIN #velko\r\n");
  ASSERT_TRUE(alice.WaitFor("OnOtherJoin\t#velko\tbob"));
  bob.engine.Send("QUIT :bye\r\n");
  ASSERT_TRUE(alice.WaitFor("OnOtherQuit\tbob\t:\"bye\""));  // ngircd quotes the reason
  ASSERT_TRUE(bob.WaitFor("OnDisconnect\t(null)"));
  EXPECT_EQ(alice.engine.FindUser("bob"), nullptr);
  EXPECT_EQ(Members(alice), "@alice");
  EXPECT_EQ(bob.engine.state, TZoEngine::Idle);
}

