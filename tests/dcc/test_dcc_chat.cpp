// DCC chats between two engines through a real IRC server.
#include <algorithm>

#include "dcc_fixture.h"
#include "wait_until.h"

TEST_F(DccNgircdTest, ChatLinesArriveWholeAndInOrderInEachOfTwoChats) {
  DccSide& alice = AddSide();
  DccSide& bob = AddSide();
  bob.acceptChat = true;
  for (const int seq : {0, 1}) {
    EXPECT_EQ(alice.engine.SendChatRequest(bob.nick.c_str()), seq);
    ASSERT_TRUE(alice.WaitFor("OnDCCChatConnect\t" + std::to_string(seq)));
    ASSERT_TRUE(bob.WaitFor("OnDCCChatConnect\t" + std::to_string(seq)));
  }
  const std::pair<const char*, const char*> rounds[] = {
      {"hel", "xyz"}, {"lo wor", "uv"}, {"ld\r\nsecond\n\nthi", "w\n"}};
  for (const auto& [first, second] : rounds) {
    EXPECT_TRUE(alice.engine.SendChatMsg(0, first));
    EXPECT_TRUE(alice.engine.SendChatMsg(1, second));
  }
  ASSERT_TRUE(bob.WaitFor("OnDCCChatMessage\t0\t"));
  ASSERT_TRUE(bob.WaitFor("OnDCCChatMessage\t1\txyzuvw"));
  std::vector<std::string> got = bob.Events({"OnDCCChatMessage"});
  // Each chat's lines keep their order; the two chats may interleave.
  std::stable_sort(got.begin(), got.end(), [](const auto& a, const auto& b) { return a.compare(0, 19, b, 0, 19) < 0; });
  EXPECT_EQ(got, (std::vector<std::string>{"OnDCCChatMessage\t0\thello world\\r", "OnDCCChatMessage\t0\tsecond",
                                           "OnDCCChatMessage\t0\t", "OnDCCChatMessage\t1\txyzuvw"}));
}
