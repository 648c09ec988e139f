// The everyday commands typed into the input line on real servers: what each
// one means reaches the other user (free text whole, spaces and all), a
// command the client does not know goes to the server as typed, and one that
// lacks its arguments only shows how it is used.
#include <QLineEdit>
#include <QtTest/QTest>
#include <gtest/gtest.h>

#include "F_inputline.h"

#include "F_mchannel.h"
#include "U_render.h"
#include "U_subforms.h"
#include "client_fixture.h"
#include "engine_recorder.h"
#include "inspircd_server.h"
#include "ngircd_server.h"
#include "pane_lines.h"
#include "wait_until.h"

namespace {

// "me" operates #cmds, typing; "bob", a plain engine, sits there too.
class TypedCommands : public testing::TestWithParam<std::string> {
 protected:
  void SetUp() override {
    if (GetParam() == "InspIRCd")
      server = std::make_unique<InspircdServer>();
    else
      server = std::make_unique<NgircdServer>();
    ASSERT_TRUE(server->Start());
    form.Client().ApplyNick("me");
    form.Client().SetAutoJoinChannels("#cmds");
    form.Client().ConnectTo(("127.0.0.1:" + std::to_string(server->Port())).c_str());
    ASSERT_TRUE(WaitUntil([&] { return HasMember(form, "#cmds", "@me"); }, 15000));
    ASSERT_TRUE(bob.LogOnAndJoin(server->Port(), "bob", "#cmds"));
    ASSERT_TRUE(WaitUntil([&] { return HasMember(form, "#cmds", "bob"); }));
  }

  void Type(const char* line) {
    QTest::keyClicks(form.eInput, QString::fromUtf8(line));
    QTest::keyClick(form.eInput, Qt::Key_Return);
  }
  TmABSRich* Front() { return form.Subforms().FrontOutputForm(); }
  size_t BobSaw(const char* event, const std::string& part) {
    const std::vector<std::string> events = bob.Events({event});
    return std::count_if(events.begin(), events.end(), [&](const std::string& e) { return e.find(part) != e.npos; });
  }

  std::unique_ptr<TestIrcd> server;
  ScratchRegistry registry;
  TMainForm form;
  EngineRecorder bob;
};

TEST_P(TypedCommands, EachReachesTheOtherUserAsMeant) {
  Type("/topic a topic with spaces");
  EXPECT_TRUE(bob.WaitFor("OnTopic\t#cmds\tme\ta topic with spaces"));
  Type("/notice bob heads up now");
  EXPECT_TRUE(bob.WaitForPart("OnNotice", "me\tbob\theads up now"));
  Type("/ctcp bob version");
  EXPECT_TRUE(bob.WaitForPart("OnCTCP", "VERSION"));

  Type("/kick");
  EXPECT_TRUE(EventuallyShows([&] { return Front(); }, "◆ 사용법: /kick [채널] 대화명 [사유]", kKindState));
  Type("/frobnicate now");  // unknown here: the server answers it
  EXPECT_TRUE(WaitUntil([&] { return PaneText(Front()).contains(QStringLiteral("ERROR(421)")); }));

  // Away with a message, then back: the second WHOIS ends without it.
  Type("/away gone for lunch");
  ASSERT_TRUE(WaitUntil([&] {
    if (BobSaw("OnLine", ":gone for lunch")) return true;
    bob.engine.Send("WHOIS me\r\n");
    return WaitUntil([&] { return BobSaw("OnLine", ":gone for lunch") > 0; }, 500);
  }));
  Type("/away");
  Type("/msg bob back now");
  ASSERT_TRUE(bob.WaitForPart("OnPrivmsg", "back now"));
  const size_t ends = BobSaw("OnLine", " 318 ");
  const size_t aways = BobSaw("OnLine", ":gone for lunch");
  bob.engine.Send("WHOIS me\r\n");
  ASSERT_TRUE(WaitUntil([&] { return BobSaw("OnLine", " 318 ") > ends; }));
  EXPECT_EQ(BobSaw("OnLine", ":gone for lunch"), aways);

  Type("/kick bob too loud, sorry");
  EXPECT_TRUE(bob.WaitFor("OnKick\t#cmds\tme\tbob\ttoo loud, sorry"));
  bob.engine.Send("JOIN #cmds\r\n");  // to see the quit

  Type("/join #side");
  ASSERT_TRUE(WaitUntil([&] { return HasMember(form, "#side", "@me"); }));
  Type("/invite bob");
  ASSERT_TRUE(bob.WaitForPart("OnInvite", "#side"));
  bob.engine.Send("JOIN #side\r\n");
  ASSERT_TRUE(WaitUntil([&] { return HasMember(form, "#side", "bob"); }));
  Type("/part see you all");
  EXPECT_TRUE(bob.WaitForPart("OnOtherPart", "#side\tme\t:see you all"));
  Type("/quit off to bed");
  EXPECT_TRUE(bob.WaitForPart("OnOtherQuit", "off to bed", 8000));
}

INSTANTIATE_TEST_SUITE_P(Servers, TypedCommands, testing::Values("ngircd", "InspIRCd"),
                         [](const auto& info) { return info.param; });

}  // namespace
