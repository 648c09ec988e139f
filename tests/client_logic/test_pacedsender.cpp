#include <gtest/gtest.h>

#include "U_pacedsender.h"
#include "engine_recorder.h"
#include "ngircd_server.h"
#include "wait_until.h"

// A line the connection did not take is never echoed as sent.
TEST(PacedSender, BurstThenTheRestInOrder) {
  std::vector<std::string> events;
  TPacedSender sender(
      [&](const std::string& line) {
        events.push_back("send " + line);
        return line != "c";
      },
      TPacedSender::TPacing{2, 50});
  sender.OnUnsent = [&] { events.push_back("not sent"); };
  for (const char* line : {"a", "b", "c", "d"})
    sender.Enqueue(line, [&events, line] { events.push_back(std::string("echo ") + line); });
  EXPECT_EQ(events, (std::vector<std::string>{"send a", "echo a", "send b", "echo b"}));
  EXPECT_EQ(sender.Pending(), 2);

  ASSERT_TRUE(WaitUntil([&] { return sender.Pending() == 0; }));
  EXPECT_EQ(events, (std::vector<std::string>{"send a", "echo a", "send b", "echo b", "send c", "not sent", "send d",
                                              "echo d"}));
}

TEST(PacedSender, APasteReachesTheChannelWholeWithoutFloodingOff) {
  NgircdServer server;
  server.EnableFloodControl();
  ASSERT_TRUE(server.Start());
  EngineRecorder alice;
  EngineRecorder bob;
  ASSERT_TRUE(alice.LogOn(server.Port(), "alice"));
  ASSERT_TRUE(bob.LogOn(server.Port(), "bob"));
  bob.engine.Send("JOIN #paste\r\n");
  ASSERT_TRUE(bob.WaitFor("OnOwnerJoin\t#paste"));
  alice.engine.Send("JOIN #paste\r\n");
  ASSERT_TRUE(bob.WaitFor("OnOtherJoin\t#paste\talice"));

  TPacedSender sender([&](const std::string& line) { return alice.engine.Send(line.c_str()); });
  std::vector<std::string> expected;
  int echoed = 0;
  for (int i = 1; i <= 12; ++i) {
    const std::string text = "pasted line " + std::to_string(i) + " " + std::string(400, 'x');
    expected.push_back("OnPrivmsg\talice\t#paste\t" + text);
    sender.Enqueue("PRIVMSG #paste :" + text + "\r\n", [&] { ++echoed; });
  }
  ASSERT_TRUE(WaitUntil([&] { return bob.Events({"OnPrivmsg"}).size() >= expected.size(); }, 40000));
  EXPECT_EQ(bob.Events({"OnPrivmsg"}), expected);
  EXPECT_EQ(echoed, 12);

  alice.engine.Send("PING :still-here\r\n");
  EXPECT_TRUE(alice.WaitForPart("OnLine", "still-here"));
  EXPECT_TRUE(alice.Events({"OnDisconnect", "OnIRCError"}).empty());
}
