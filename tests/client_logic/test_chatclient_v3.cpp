// The chat client with what modern servers add: the user's own lines as the
// server repeats them, replayed history, netsplits and friends. A scripted
// server plays what no real one sends; InspIRCd plays echoes and MONITOR.
#include <gtest/gtest.h>

#include "U_channelhistory.h"
#include "U_friends.h"
#include "chat_rig.h"
#include "engine_recorder.h"
#include "inspircd_server.h"
#include "wait_until.h"

namespace {

// "text" of each line written to the window, with "(history)" on replayed ones.
QStringList LinesOf(const RecordingView& view, TOutTarget where, const std::string& name) {
  QStringList shown;
  for (const TOutLine& line : view.lines)
    if (line.where == where && line.name == name)
      shown << DecodeDisplay(line.text.c_str()) + (line.kind == kKindHistory ? " (history)" : "");
  return shown;
}

}  // namespace

// History asked for on joining comes muted, at its own time, before the live
// line that overtook it, and tells the page nothing; after a reconnect only
// what came after the last line seen is asked for and shown.
TEST(ModernChatClient, HistoryComesMutedBeforeLiveLinesAndResumesAfterAReconnect) {
  ClientRig rig;
  RecordingListener listener;
  rig.client.Feed().SetListener(&listener);
  ASSERT_TRUE(rig.Welcome("batch server-time message-tags draft/chathistory", "CHATHISTORY=20 MSGREFTYPES=msgid"));
  rig.server.Write(":me!u@h JOIN #c\r\n");
  ASSERT_TRUE(rig.server.WaitForText("CHATHISTORY LATEST #c * 20\r\n"));
  rig.server.Write(
      "@time=2026-12-07T20:02:00.000Z;msgid=m3 :amy!a@h PRIVMSG #c :live one\r\n"
      ":srv BATCH +h1 chathistory #c\r\n"
      "@batch=h1;time=2026-12-07T20:00:00.000Z;msgid=m1 :bob!b@h PRIVMSG #c :me: old news\r\n"
      "@batch=h1;time=2026-12-07T20:01:00.000Z;msgid=m2 :me!u@h PRIVMSG #c :\x01" "ACTION waved\x01\r\n"
      ":srv BATCH -h1\r\n");
  ASSERT_TRUE(rig.Caught("history"));
  EXPECT_EQ(LinesOf(rig.view, TOutTarget::Channel, "#c").mid(1),
            (QStringList{"<bob> me: old news (history)", "* me waved (history)", "<amy> live one"}));
  const auto old = std::find_if(rig.view.lines.begin(), rig.view.lines.end(),
                                [](const TOutLine& line) { return line.kind == kKindHistory; });
  ASSERT_NE(old, rig.view.lines.end());
  EXPECT_EQ(old->time, ZoServerTime("2026-12-07T20:00:00.000Z"));
  EXPECT_EQ(listener.messages, 1);
  EXPECT_EQ(listener.last, "#c amy live one channel");

  rig.client.Settings().HistoryLines = 0;
  rig.server.Write(":me!u@h JOIN #quiet\r\n");
  ASSERT_TRUE(rig.Caught("quiet"));
  EXPECT_FALSE(rig.server.Received().contains("CHATHISTORY LATEST #quiet"));
  rig.client.Settings().HistoryLines = 50;

  rig.view.lines.clear();
  rig.server.CloseClient();
  ASSERT_TRUE(WaitUntil([&] { return rig.server.Clients() == 2; }));
  ASSERT_TRUE(rig.server.WaitForText("NICK me\r\n"));
  ASSERT_TRUE(rig.Welcome("batch server-time message-tags", "CHATHISTORY=20"));
  ASSERT_TRUE(rig.server.WaitForText("JOIN #c\r\n"));
  rig.server.Write(":me!u@h JOIN #c\r\n");
  ASSERT_TRUE(rig.server.WaitForText("CHATHISTORY AFTER #c msgid=m3 20\r\n"));
  // A server that replays more than was asked: what the window has is left out.
  rig.server.Write(
      ":srv BATCH +h2 chathistory #c\r\n"
      "@batch=h2;time=2026-12-07T20:01:00.000Z;msgid=m2 :bob!b@h PRIVMSG #c :older\r\n"
      "@batch=h2;time=2026-12-07T20:02:00.000Z;msgid=m3 :amy!a@h PRIVMSG #c :live one\r\n"
      "@batch=h2;time=2026-12-07T20:05:00.000Z;msgid=m4 :amy!a@h PRIVMSG #c :missed\r\n"
      ":srv BATCH -h2\r\n");
  ASSERT_TRUE(rig.Caught("resumed"));
  EXPECT_EQ(LinesOf(rig.view, TOutTarget::Channel, "#c").mid(2), (QStringList{"<amy> missed (history)"}));
  rig.client.Feed().SetListener(nullptr);
}

// A netsplit's quits and a netjoin's joins become one line per channel when
// the batch ends; the member lists still lose each member.
TEST(ModernChatClient, NetsplitsAndNetjoinsAreOneLinePerChannel) {
  ClientRig rig;
  TZoEngine& engine = rig.client.Engine();
  for (const char* line : {":me!u@h JOIN #a", ":srv 353 me = #a :me amy bob", ":srv 366 me #a :End", ":me!u@h JOIN #b",
                           ":srv 353 me = #b :me amy", ":srv 366 me #b :End", ":srv BATCH +s netsplit hub.net leaf.net",
                           "@batch=s :amy!a@h QUIT :hub.net leaf.net", "@batch=s :bob!b@h QUIT :hub.net leaf.net",
                           ":srv BATCH -s", ":srv BATCH +j netjoin hub.net leaf.net", "@batch=j :amy!a@h JOIN #b",
                           ":srv BATCH -j", ":cat!c@h JOIN #b"})
    engine.SimulateLine(line);
  EXPECT_EQ(LinesOf(rig.view, TOutTarget::Channel, "#a").mid(1),
            (QStringList{QString::fromUtf8("◆ 넷스플릿: 2명 나감 (hub.net ↔ leaf.net): amy, bob")}));
  EXPECT_EQ(LinesOf(rig.view, TOutTarget::Channel, "#b").mid(1),
            (QStringList{QString::fromUtf8("◆ 넷스플릿: 1명 나감 (hub.net ↔ leaf.net): amy"),
                         QString::fromUtf8("◆ 넷조인: 1명 돌아옴 (hub.net ↔ leaf.net): amy"),
                         QString::fromUtf8("◆ #b채널에 cat님께서 입장하셨습니다")}));
  EXPECT_EQ(rig.view.Members("#a"), std::vector<std::string>{"me"});
  EXPECT_EQ(rig.view.Members("#b"), (std::vector<std::string>{"amy", "cat", "me"}));
  EXPECT_FALSE(rig.view.shown.contains(QString::fromUtf8("서버를 떠나셨습니다")));

  // A split the server never ends is told once it is seconds old, by the
  // server's time or, where lines carry none, by when they came.
  for (const char* line : {"@time=2026-12-07T20:00:00.000Z :srv BATCH +z netsplit hub.net leaf.net",
                           "@batch=z;time=2026-12-07T20:00:00.000Z :cat!c@h QUIT :hub.net leaf.net",
                           "@time=2026-12-07T20:00:01.000Z :amy!a@h PRIVMSG #b :soon after",
                           "@time=2026-12-07T20:00:09.000Z :amy!a@h PRIVMSG #b :much later"})
    engine.SimulateLine(line);
  int64_t now = 1000000;
  engine.SetArrivalClock([&now] { return now; });
  for (const auto& [ms, line] : std::vector<std::pair<int64_t, const char*>>{
           {0, ":cat!c@h JOIN #b"}, {0, ":srv BATCH +u netsplit hub.net leaf.net"}, {100, "@batch=u :cat!c@h QUIT :x y"},
           {4999, ":amy!a@h PRIVMSG #b :still within"}, {5100, ":amy!a@h PRIVMSG #b :past it"}}) {
    now = 1000000 + ms;
    engine.SimulateLine(line);
  }
  EXPECT_EQ(LinesOf(rig.view, TOutTarget::Channel, "#b").mid(4),
            (QStringList{"<amy> soon after", QString::fromUtf8("◆ 넷스플릿: 1명 나감 (hub.net ↔ leaf.net): cat"),
                         "<amy> much later", QString::fromUtf8("◆ #b채널에 cat님께서 입장하셨습니다"), "<amy> still within",
                         QString::fromUtf8("◆ 넷스플릿: 1명 나감 (hub.net ↔ leaf.net): cat"), "<amy> past it"}));
}

// Against a real server: the user's line shows once, as the server repeated
// it; one the server refuses says so; a member going away and coming back is
// greyed and ungreyed in the list, with the message in its tooltip; friends
// come and go in the status window and in their open private window.
TEST(ModernChatClient, EchoesAndFriendsOnARealServer) {
  Ircv3Rig rig;
  ASSERT_TRUE(rig.started);
  TChatClient& client = rig.client;
  RecordingView& view = rig.view;
  RecordingListener page;
  client.Feed().SetListener(&page);
  client.RunLine("/monitor +bob,carl");
  ASSERT_TRUE(rig.LogOn());
  ASSERT_TRUE(client.Engine().CapEnabled("echo-message"));
  client.RunLine("/join #v3");
  ASSERT_TRUE(WaitUntil([&] { return view.channels.count("#v3") > 0; }));
  view.queries.insert("bob");
  EngineRecorder bob;
  ASSERT_TRUE(bob.LogOnAndJoin(rig.server.Port(), "bob", "#v3"));
  ASSERT_TRUE(WaitUntil([&] { return view.shown.contains(QString::fromUtf8("◆ 친구 bob님 접속")); }));

  view.front = {TFrontKind::Channel, "#v3"};
  client.RunLine("hello there");
  ASSERT_TRUE(bob.WaitFor("OnPrivmsg\tme\t#v3\thello there"));
  bob.engine.Send("PRIVMSG #v3 :marker\r\n");
  ASSERT_TRUE(WaitUntil([&] { return view.shown.contains("<bob> marker"); }));
  EXPECT_EQ(LinesOf(view, TOutTarget::Channel, "#v3").filter("hello there"), (QStringList{"<me> hello there"}));
  EXPECT_TRUE(view.Member("#v3", "bob", Qt::ToolTipRole).toString().startsWith("bob!quelbo@127.0.0.1"));
  bob.engine.Send("AWAY :lunch\r\n");
  ASSERT_TRUE(WaitUntil([&] { return view.Member("#v3", "bob", TUserListModel::AwayRole).toBool(); }));
  EXPECT_TRUE(view.Member("#v3", "bob", Qt::ToolTipRole).toString().endsWith(QString::fromUtf8("자리 비움: lunch")));
  bob.engine.Send("AWAY\r\n");
  ASSERT_TRUE(WaitUntil([&] { return !view.Member("#v3", "bob", TUserListModel::AwayRole).toBool(); }));

  bob.engine.Send("JOIN #closed\r\n");
  ASSERT_TRUE(bob.WaitFor("OnOwnerJoin\t#closed"));
  client.RunLine("/msg #closed knock knock");
  ASSERT_TRUE(WaitUntil([&] { return view.shown.contains("knock knock"); }));
  EXPECT_TRUE(view.shown.contains(QString::fromUtf8("◆ 서버가 받지 않아 보내지 못했습니다 (404 ")));
  EXPECT_FALSE(view.shown.contains("ERROR(404)"));
  // The page heard the line the server took, and never the refused one.
  EXPECT_EQ(page.last, "#v3 bob marker channel");
  client.RunLine("/me waves");
  ASSERT_TRUE(WaitUntil([&] { return page.last == "#v3 me waves own"; }));
  client.Feed().SetListener(nullptr);

  bob.engine.Send("QUIT :bye\r\n");
  ASSERT_TRUE(WaitUntil([&] { return LinesOf(view, TOutTarget::Query, "bob").size() == 2; }));
  EXPECT_EQ(LinesOf(view, TOutTarget::Query, "bob"),
            (QStringList{QString::fromUtf8("◆ 친구 bob님 접속"), QString::fromUtf8("◆ 친구 bob님 나감")}));
  EXPECT_EQ(LinesOf(view, TOutTarget::Status, "").filter(QString::fromUtf8("친구")),
            (QStringList{QString::fromUtf8("◆ 친구 bob님 나감"), QString::fromUtf8("◆ 친구 carl님 나감"),
                         QString::fromUtf8("◆ 친구 bob님 접속"), QString::fromUtf8("◆ 친구 bob님 나감")}));
}

// The list keeps each friend once, in any letter case, and what a server's
// limit leaves out is named rather than lost.
TEST(ModernChatClient, FriendsStayWithinTheServersLimit) {
  TFriends friends;
  friends.Set(" amy, Bob ,,bob,toolong" + std::string(70, 'x') + ",carl");
  EXPECT_EQ(friends.Nicks(), (std::vector<std::string>{"amy", "Bob", "carl"}));
  const TFriends::TChange watched = friends.Watch(2);
  EXPECT_EQ(watched.lines, (std::vector<std::string>{"MONITOR + amy,Bob\r\n"}));
  EXPECT_EQ(watched.refused, (std::vector<std::string>{"carl"}));
  const TFriends::TChange added = friends.Change("+dora,AMY,erin", 4);
  EXPECT_EQ(added.lines, (std::vector<std::string>{"MONITOR + dora\r\n"}));
  EXPECT_EQ(added.refused, (std::vector<std::string>{"erin"}));
  EXPECT_EQ(friends.Change("-BOB", 4).lines, (std::vector<std::string>{"MONITOR - BOB\r\n"}));
  EXPECT_EQ(friends.Nicks(), (std::vector<std::string>{"amy", "carl", "dora"}));
}

// What waits for a channel's history is bounded and never lost: past the
// bound every waiting line is shown, in order. A request never asks for more
// than the bound, and names a line by time when its msgid cannot be a word.
TEST(ModernChatClient, HistoryHoldsLittleAndLosesNothing) {
  TChannelHistory history;
  EXPECT_EQ(history.Request("#c", 1000000, -1, true), "CHATHISTORY LATEST #c * 1000\r\n");
  size_t shown = 0;
  for (size_t i = 0; i <= TChannelHistory::kMaxHeld; ++i) {
    TOutLine line{TOutTarget::Channel, "#C", kKindMessage, std::to_string(i)};
    const std::vector<TOutLine> now = history.Pass(line);
    for (const TOutLine& out : now) EXPECT_EQ(out.text, std::to_string(shown++));
  }
  EXPECT_EQ(shown, TChannelHistory::kMaxHeld + 1);
  EXPECT_FALSE(history.Waiting());

  stIRC seen;
  CZoAnalysis::Parse("@time=2026-12-07T20:00:00.000Z;msgid=a\\sb :amy!a@h PRIVMSG #c :x", &seen);
  history.Seen("#c", seen);
  EXPECT_EQ(history.Request("#c", 50, 20, true), "CHATHISTORY AFTER #c timestamp=2026-12-07T20:00:00.000Z 20\r\n");
}

// Against a real server: a WHOIS answers in the window that asked, not the
// one in front; an operator sees who invites whom to the channel.
TEST(ModernChatClient, RepliesFindTheirWindowAndOperatorsSeeInvites) {
  Ircv3Rig rig;
  ASSERT_TRUE(rig.started);
  TChatClient& client = rig.client;
  RecordingView& view = rig.view;
  ASSERT_TRUE(rig.LogOn());
  ASSERT_TRUE(client.Engine().CapEnabled("labeled-response"));
  EngineRecorder bob;
  ASSERT_TRUE(bob.LogOnAndJoin(rig.server.Port(), "bob", "#bobs"));
  EngineRecorder carl;
  ASSERT_TRUE(carl.LogOn(rig.server.Port(), "carl"));
  client.RunLine("/join #ops");
  ASSERT_TRUE(WaitUntil([&] { return view.channels.count("#ops") > 0; }));
  client.RunLine("/join #bobs");
  ASSERT_TRUE(WaitUntil([&] { return view.channels.count("#bobs") > 0; }));

  view.front = {TFrontKind::Channel, "#ops"};
  client.RunLine("/whois bob");
  view.front = {TFrontKind::Channel, "#bobs"};
  ASSERT_TRUE(WaitUntil([&] { return view.shown.contains(QString::fromUtf8("bob님의 사용자정보 조회 종료")); }));
  EXPECT_GE(LinesOf(view, TOutTarget::Channel, "#ops").filter(QString::fromUtf8("◆ bob님의")).size(), 4);
  EXPECT_TRUE(LinesOf(view, TOutTarget::Active, "").filter("bob").isEmpty());

  bob.engine.Send("JOIN #ops\r\n");
  ASSERT_TRUE(bob.WaitFor("OnOwnerJoin\t#ops"));
  client.RunLine("/mode #ops +o bob");
  ASSERT_TRUE(bob.WaitForPart("OnMode", "+o bob"));
  bob.engine.Send("INVITE carl #ops\r\n");
  ASSERT_TRUE(WaitUntil([&] { return view.shown.contains("carl"); }));
  EXPECT_EQ(LinesOf(view, TOutTarget::Channel, "#ops").filter("carl"),
            (QStringList{QString::fromUtf8("◆ bob님이 carl님을 초대했습니다")}));
}

// What a real server does not play. With labeled-response a reply comes back
// to the query that asked, though another window is in front now, and a
// single labeled reply spends its label; without it the WHOIS goes out bare
// and its reply stays in front.
TEST(ModernChatClient, LabelsFollowTheirCommandOnlyWhereTheServerKeepsThem) {
  for (const bool labeled : {true, false}) {
    ClientRig rig;
    ASSERT_TRUE(rig.Welcome(labeled ? "batch message-tags labeled-response" : "batch message-tags"));
    rig.view.queries.insert("amy");
    rig.view.front = {TFrontKind::Query, "amy"};
    rig.client.RunLine("/whois ghost");
    ASSERT_TRUE(rig.server.WaitForText(labeled ? "\r\n@label=v1 WHOIS ghost\r\n" : "\r\nWHOIS ghost\r\n"));
    rig.view.front = {};
    rig.server.Write("@label=v1 :srv 401 me ghost :No such nick\r\n@label=v1 :srv 318 me ghost :End\r\n");
    ASSERT_TRUE(rig.Caught("answered"));
    EXPECT_EQ(LinesOf(rig.view, TOutTarget::Query, "amy").filter("ghost").size(), labeled ? 1 : 0);
    EXPECT_EQ(LinesOf(rig.view, TOutTarget::Active, "").filter("ghost").size(), labeled ? 1 : 2);
  }
}

// Whoever ranks at halfop or above in the server's order hears of an invite
// to the channel (an owner or admin without multi-prefix shows one sign, or
// gets the rank by a mode change among others); a voice or plain member does not.
TEST(ModernChatClient, InvitesToOthersReachOperatorsOnly) {
  ClientRig rig;
  ASSERT_TRUE(rig.Welcome("invite-notify", "PREFIX=(Yqaohv)!~&@%+"));
  const std::map<QByteArray, QByteArray> names = {
      {"#y", "!me"}, {"#q", "~me"}, {"#a", "&me"}, {"#h", "%me"}, {"#m", "me"}, {"#v", "+me"}, {"#plain", "me"}};
  for (const auto& [name, me] : names) {
    rig.server.Write(":me!u@h JOIN " + name + "\r\n:srv 353 me = " + name + " :" + me + " @amy\r\n:srv 366 me " + name +
                     " :End\r\n" + (name == "#m" ? ":amy!a@h MODE #m +vq amy me\r\n" : "") + ":amy!a@h INVITE bob " +
                     name + "\r\n");
  }
  ASSERT_TRUE(rig.Caught("invited"));
  for (const auto& [name, me] : names)
    EXPECT_EQ(LinesOf(rig.view, TOutTarget::Channel, name.toStdString()).filter("bob"),
              name == "#v" || name == "#plain" ? QStringList{}
                                               : QStringList{QString::fromUtf8("◆ amy님이 bob님을 초대했습니다")})
        << name.constData();
}

// The chat log stamps a line with the time the server says it was said, in
// the local zone, and files it under that day.
TEST(ModernChatClient, ChatLogKeepsTheServersTime) {
  struct LoggingView : RecordingView {
    explicit LoggingView(TChatClient& client) : client(client) {}
    void Write(const TOutLine& line) override {
      RecordingView::Write(line);
      if (!line.name.empty()) client.LogLine(line.name, line.text);
    }
    TChatClient& client;
  };
  ClientRig rig;
  LoggingView view(rig.client);
  view.channels.insert("#c");
  rig.client.SetView(&view);
  rig.client.Settings().ChatLogs = 1;
  const char* said = "2026-03-04T05:06:07.000Z";
  rig.client.Engine().SimulateLine((std::string("@time=") + said + " :amy!a@h PRIVMSG #c :told earlier").c_str());
  const QDateTime when = QDateTime::fromMSecsSinceEpoch(ZoServerTime(said));
  QFile file(TChatLog(rig.registry.Path() + "/logs").FilePath("127.0.0.1", "#c", when.date()));
  ASSERT_TRUE(WaitUntil([&] { return file.exists() && file.size() > 0; }));
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  EXPECT_EQ(file.readAll(), when.toString("[HH:mm] ").toUtf8() + "<amy> told earlier\n");
  rig.client.SetView(nullptr);
}
