// The main window's session on a real server: joining, and rejoining after the
// server threw the connection out.
#include <QTextEdit>
#include <gtest/gtest.h>

#include "F_mchannel.h"
#include "F_mstatus.h"
#include "M_motd.h"
#include "U_subforms.h"
#include "client_fixture.h"
#include "engine_recorder.h"
#include "ngircd_server.h"
#include "wait_until.h"

namespace {

// The viewer's text once its waiting lines are shown.
QString MotdText() {
  if (!CurrentMOTD()) return {};
  CurrentMOTD()->ShowPendingLines();
  return CurrentMOTD()->rView->toPlainText();
}

// Registers, joins the page's channels after the logon, and rejoins every
// open channel window after the server has thrown the connection out. The
// message of the day opens its viewer at the first logon only; the one after
// the reconnect is shown in the status window.
TEST(Lifecycle, JoinsAndRejoinsAgainstARealServer) {
  NgircdServer server;
  ASSERT_TRUE(server.Start());
  ScratchRegistry registry;
  TMainForm form;
  form.Client().ApplyNick("velko1");
  form.Client().SetAutoJoinChannels("a,#b");
  EXPECT_EQ(form.Client().AutoJoin(), (std::vector<std::string>{"#a", "#b"}));
  form.Client().ConnectTo(("127.0.0.1:" + std::to_string(server.Port())).c_str());
  ASSERT_TRUE(WaitUntil([&] { return HasMember(form, "#a", "@velko1") && HasMember(form, "#b", "@velko1"); }, 15000));
  EXPECT_TRUE(form.Client().AutoJoin().empty());
  const QString motd = QString::fromUtf8(NgircdServer::kMotd);
  ASSERT_TRUE(WaitUntil([&] { return MotdText().contains(motd); }));
  TmStatus* status = form.Subforms().OpenStatus();
  EXPECT_FALSE(PaneText(status).contains(motd));

  // An operator keeps #a alive and throws us off the server.
  EngineRecorder oper;
  ASSERT_TRUE(oper.LogOn(server.Port(), "oper"));
  oper.engine.Send("JOIN #a\r\n");
  ASSERT_TRUE(WaitUntil([&] { return HasMember(form, "#a", "oper"); }, 10000));
  oper.engine.Send((std::string("OPER ") + NgircdServer::kOperName + " " + NgircdServer::kOperPassword +
                    "\r\nKILL velko1 :out\r\n").c_str());

  // Back at once, both windows still open and joined again: in #a now
  // without operator status, since the operator stayed there.
  TmChannel* a = form.Subforms().FindChannel("#a");
  ASSERT_NE(a, nullptr);
  ASSERT_TRUE(WaitUntil([&] { return HasMember(form, "#a", "velko1"); }, 15000));
  EXPECT_TRUE(HasMember(form, "#b", "@velko1"));
  EXPECT_EQ(form.Subforms().FindChannel("#a"), a);
  EXPECT_EQ(form.Subforms().Count(), 3);  // the status window and both channels
  for (const char* shown : {"◆ 접속 해제 되었습니다.", "◆ #a채널에 재입장을 시도합니다.."})
    EXPECT_TRUE(PaneText(a).contains(QString::fromUtf8(shown))) << shown;
  ASSERT_TRUE(WaitUntil([&] { return PaneText(status).contains(motd); }));
  EXPECT_EQ(MotdText().count(motd), 1);
  Grab(*status, "motd-in-status-after-reconnect");
}

}  // namespace
