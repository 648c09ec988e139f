// The client in a conversation on a real server: another user's lines arrive
// in the right windows and colours, the client's own lines reach the other
// user, and operator actions and nick changes show on both sides.
#include <QLineEdit>
#include <QListWidget>
#include <QTextEdit>
#include <gtest/gtest.h>

#include "F_mchannel.h"
#include "F_usermenu.h"
#include "F_mquery.h"
#include "M_inputbox.h"
#include "U_codepage.h"
#include "U_render.h"
#include "U_subforms.h"
#include "client_fixture.h"
#include "engine_recorder.h"
#include "frame_input.h"
#include "ngircd_server.h"
#include "pane_lines.h"
#include "wait_until.h"

namespace {

// The client "me" operates #c; "bob", a plain engine, sits there too.
class Conversation : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server.Start());
    form.Client().ApplyNick("me");
    form.Client().SetAutoJoinChannels("#c");
    form.Client().ConnectTo(("127.0.0.1:" + std::to_string(server.Port())).c_str());
    ASSERT_TRUE(WaitUntil([&] { return HasMember(form, "#c", "@me"); }, 15000));
    ASSERT_TRUE(bob.LogOn(server.Port(), "bob"));
    bob.engine.Send("JOIN #c\r\n");
    ASSERT_TRUE(WaitUntil([&] { return HasMember(form, "#c", "bob"); }));
  }

  TmABSRich* Channel() { return form.Subforms().FindChannel("#c"); }
  std::function<TmABSRich*()> Query(const char* nick) {
    return [this, nick] { return form.Subforms().Find<TmQuery>(nick); };
  }
  std::function<TmABSRich*()> Front() {
    return [this] { return form.Subforms().FrontOutputForm(); };
  }
  void Say(const std::string& line) { bob.engine.Send((line + "\r\n").c_str()); }

  NgircdServer server;
  ScratchRegistry registry;
  TMainForm form;
  EngineRecorder bob;
};

TEST_F(Conversation, TheOthersLinesArriveInTheirWindowsAndColours) {
  const auto channel = [this] { return Channel(); };
  Say("PRIVMSG #c :hello \x02there\x02");
  Say("PRIVMSG #c :유니코드 인사");
  Say("NOTICE #c :heads up");
  EXPECT_TRUE(EventuallyShows(channel, "<bob> hello there", kKindMessage));
  EXPECT_TRUE(EventuallyShows(channel, "<bob> 유니코드 인사", kKindMessage));
  EXPECT_TRUE(EventuallyShows(channel, "-bob- heads up", kKindNotice));

  // A private message opens the sender's query window in front; an action in
  // the channel still goes to the channel.
  Say("PRIVMSG me :psst");
  EXPECT_TRUE(EventuallyShows(Query("bob"), "<bob> psst", kKindMessage));
  Say("PRIVMSG #c :\x01" "ACTION waves\x01");
  EXPECT_TRUE(EventuallyShows(channel, "* bob waves", kKindAction));
  EXPECT_EQ(form.Subforms().FrontForm()->Kind, wkQuery);
  Say("PRIVMSG me :again");
  EXPECT_TRUE(EventuallyShows(Query("bob"), "<bob> again", kKindMessage));
  EXPECT_EQ(form.Subforms().Count(), 3);  // status, #c and the one query

  // Own lines, from the channel and from the query, with their echoes.
  form.Subforms().FindChannel("#c")->Activate();
  form.Input("hi all");
  form.Input("/me dances");
  EXPECT_TRUE(bob.WaitForPart("OnPrivmsg", "\tme\t#c\thi all"));
  EXPECT_TRUE(bob.WaitForPart("OnCTCP", "\tACTION\t#c\t"));
  // The server announces CHARSET=UTF-8: Korean and an emoji reach bob whole.
  form.Input(QString::fromUtf8("안녕 😀"));
  EXPECT_TRUE(bob.WaitForPart("OnPrivmsg", "\tme\t#c\t안녕 😀"));
  EXPECT_TRUE(EventuallyShows(channel, "<me> hi all", kKindOwnMessage));
  EXPECT_TRUE(EventuallyShows(channel, "* me dances", kKindAction));
  form.Subforms().FindForm(wkQuery, "bob")->Activate();
  form.Input("just you");
  EXPECT_TRUE(bob.WaitForPart("OnPrivmsg", "\tme\tbob\tjust you"));
  EXPECT_TRUE(EventuallyShows(Query("bob"), "<me> just you", kKindOwnMessage));
}

TEST_F(Conversation, WhoisMemberMenuAndRenames) {
  const auto channel = [this] { return Channel(); };
  form.Input("/whois bob");
  EXPECT_TRUE(EventuallyShows(channel, "◆ bob님의 사용자정보 조회 종료", kKindWhois));
  EXPECT_TRUE(EventuallyShows(channel, "◆ bob님의 입장채널 - #c", kKindWhois));
  EXPECT_TRUE(PaneText(Channel()).contains(QString::fromUtf8("◆ bob님의 username, host, realname - ")));

  // The member menu acts on the selected member; the other side sees it too.
  TmChannel* window = form.Subforms().FindChannel("#c");
  const auto select = [&](const char* entry) {
    const auto& users = window->Users();
    SelectMemberRow(window, static_cast<int>(std::find(users.begin(), users.end(), entry) - users.begin()));
  };
  select("bob");
  form.pmUser->miOp->trigger();
  EXPECT_TRUE(EventuallyShows(channel, "◆ me님이 +o bob 를 지정했습니다.", kKindMode));
  EXPECT_TRUE(bob.WaitForPart("OnMode", "\t#c\tme\t+o bob"));
  EXPECT_TRUE(WaitUntil([&] { return HasMember(form, "#c", "@bob"); }));
  select("@bob");
  form.pmUser->miVoice->trigger();
  EXPECT_TRUE(EventuallyShows(channel, "◆ me님이 +v bob 를 지정했습니다.", kKindMode));

  // A rename reaches the member list, the query window and its caption.
  Say("PRIVMSG me :psst");
  ASSERT_TRUE(EventuallyShows(Query("bob"), "<bob> psst", kKindMessage));
  Say("NICK bobby");
  EXPECT_TRUE(EventuallyShows(Query("bobby"), "◆ bob님의 대화명이 bobby으로 바뀌었습니다.", kKindNick));
  EXPECT_TRUE(Shows(Channel(), "◆ bob님의 대화명이 bobby으로 바뀌었습니다.", kKindNick));
  EXPECT_EQ(Query("bob")(), nullptr);
  EXPECT_EQ(Query("bobby")()->windowTitle(), "bobby");
  EXPECT_TRUE(HasMember(form, "#c", "@bobby"));

  window->Activate();
  select("@bobby");
  ScopedAnswer enter([](TModalForm& box) { QTest::keyClick(dynamic_cast<TKInputBox&>(box).eInput, Qt::Key_Return); });
  form.pmUser->miKick->trigger();
  EXPECT_TRUE(EventuallyShows(channel, "◆ bobby님이 me님께 쫓겨났습니다. (me)", kKindKick));
  EXPECT_TRUE(bob.WaitForPart("OnKick", "\t#c\tme\tbobby\t"));
  EXPECT_EQ(window->Users(), std::vector<std::string>{"@me"});
}

}  // namespace

// A busy channel as the user sees it: every code, every palette colour, a
// wrapped line, Korean in both encodings. Saved as a grab to look at.
TEST(ConversationPane, BusyChannelShowsCodesColoursAndKorean) {
  WiredForm wired;
  TMainForm& form = *wired.form;
  TZoEngine& engine = form.Client().Engine();
  form.show();
  engine.SimulateLine(":me!u@h JOIN :#busy");
  engine.SimulateLine((std::string(":srv 353 me = #busy :@me bob ") + Cp949Literal("철수")).c_str());
  engine.SimulateLine(":srv 366 me #busy :End");
  engine.SimulateLine((std::string(":") + Cp949Literal("철수") + "!u@h AWAY :lunch").c_str());  // greyed in the list
  engine.SimulateLine(":amy!u@h JOIN :#busy");
  std::string palette = ":bob!u@h PRIVMSG #busy :";
  for (int colour = 0; colour < 16; ++colour) palette += "\x03" + std::to_string(colour) + ",1 " + std::to_string(colour) + " ";
  const std::vector<std::string> lines = {
      ":bob!u@h PRIVMSG #busy :plain \x02" "bold\x02 \x1Funderline\x1F \x16reverse\x16 \x03" "4,8red on yellow\x03 end",
      palette,
      ":amy!u@h PRIVMSG #busy :" + std::string(60, 'w') + " a long line that has to wrap inside the pane " +
          std::string(40, 'z'),
      std::string(":") + Cp949Literal("철수") + "!u@h PRIVMSG #busy :" + Cp949Literal("안녕하세요, 반갑습니다"),
      ":bob!u@h PRIVMSG #busy :UTF-8 그대로: 한글과 English",
      ":bob!u@h NOTICE #busy :notice text",
      ":me!u@h MODE #busy +v bob",
      ":amy!u@h TOPIC #busy :\x02주제\x02 topic",
      ":amy!u@h PART #busy :bye",
      ":me!u@h KICK #busy bob :enough",
  };
  for (const std::string& line : lines) engine.SimulateLine(line.c_str());
  TmChannel* channel = form.Subforms().FindChannel("#busy");
  ASSERT_NE(channel, nullptr);
  form.Subforms().Tile();
  Grab(form, "busy_channel");

  EXPECT_TRUE(Shows(channel, "<철수> 안녕하세요, 반갑습니다", kKindMessage));
  EXPECT_TRUE(Shows(channel, "<bob> UTF-8 그대로: 한글과 English", kKindMessage));
  EXPECT_TRUE(Shows(channel, "◆ amy님께서 채널 주제를 주제 topic로 변경했습니다", kKindTopic));
  EXPECT_TRUE(channel->windowTitle().endsWith(QString::fromUtf8("] 주제 topic")));  // codes removed
  EXPECT_EQ(channel->Users(), (std::vector<std::string>{"@me", Cp949Literal("철수")}));
}

// Replayed history sits muted on its band before the live line and marks no
// window behind as unread, mention or not; a netsplit is one line. Saved as
// a grab to look at.
TEST(ConversationPane, HistoryBandAndNetsplitLine) {
  WiredForm wired;
  TMainForm& form = *wired.form;
  TZoEngine& engine = form.Client().Engine();
  form.show();
  for (const char* line : {":me!u@h JOIN :#v3", ":srv 353 me = #v3 :@me amy bob carl dora", ":srv 366 me #v3 :End",
                           ":me!u@h JOIN :#front", ":srv BATCH +h chathistory #v3",
                           "@batch=h;time=2026-12-07T00:15:00.000Z :amy!a@h PRIVMSG #v3 :좋은 아침",
                           "@batch=h;time=2026-12-07T00:16:00.000Z :bob!b@h PRIVMSG #v3 :me: 어제 얘기 기억나?",
                           "@batch=h;time=2026-12-07T00:17:00.000Z :me!u@h PRIVMSG #v3 :응, 기억나", ":srv BATCH -h"})
    engine.SimulateLine(line);
  TmChannel* channel = form.Subforms().FindChannel("#v3");
  ASSERT_NE(channel, nullptr);
  EXPECT_TRUE(Shows(channel, "<bob> me: 어제 얘기 기억나?", kKindHistory));
  EXPECT_TRUE(Shows(channel, "<me> 응, 기억나", kKindHistory));
  EXPECT_EQ(channel->Unread, urNone);

  for (const char* line : {":carl!c@h PRIVMSG #v3 :지금 막 왔어", ":srv BATCH +s netsplit hub.example.net leaf.example.net",
                           "@batch=s :amy!a@h QUIT :hub.example.net leaf.example.net",
                           "@batch=s :bob!b@h QUIT :hub.example.net leaf.example.net", ":srv BATCH -s"})
    engine.SimulateLine(line);
  EXPECT_TRUE(Shows(channel, "<carl> 지금 막 왔어", kKindMessage));
  EXPECT_TRUE(Shows(channel, "◆ 넷스플릿: 2명 나감 (hub.example.net ↔ leaf.example.net): amy, bob", kKindQuit));
  EXPECT_EQ(channel->Unread, urLines);
  EXPECT_EQ(channel->Users(), (std::vector<std::string>{"@me", "carl", "dora"}));
  form.Subforms().Tile();
  Grab(form, "history_band");
}
