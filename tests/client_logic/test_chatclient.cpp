// The chat client without a window: a real engine against a scripted server,
// and a view that records what it is asked to show and answers questions.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "chat_rig.h"
#include "U_codepage.h"
#include "ngircd_server.h"
#include "session_bus.h"
#include "wait_until.h"

namespace {

// Refusals that arrive while a question is open wait their turn: each keyed
// channel is asked once, then the nick; a key is one word and an empty
// answer joins nothing.
TEST(ChatClient, RefusalsAskOneQuestionAtATime) {
  ClientRig rig;
  rig.view.during = [&] {
    rig.server.Write(":srv 475 me #b :no\r\n:srv 471 me #full :no\r\n:srv 433 me x :taken\r\n");
    ASSERT_TRUE(rig.Caught("during"));
  };
  rig.view.key = "k1 ignored";
  rig.server.Write(":srv 475 me #a :no\r\n");
  ASSERT_TRUE(rig.server.WaitForText("JOIN #a k1\r\nJOIN #b k1\r\n"));
  ASSERT_TRUE(WaitUntil([&] { return rig.view.asked.size() == 4; }));
  EXPECT_EQ(rig.view.asked, (QStringList{"#a", "#b", QString::fromUtf8("대화실 인원이 모두차서 입장할수 없습니다."), "nick"}));
  EXPECT_EQ(rig.view.mostOpen, 1);
  rig.view.key.clear();
  rig.server.Write(":srv 475 me #c :no\r\n");
  ASSERT_TRUE(WaitUntil([&] { return rig.view.asked.size() == 5; }));
  ASSERT_TRUE(rig.Caught("after"));
  EXPECT_FALSE(rig.server.Received().contains("JOIN #c"));
}

// A flood of file offers under as many nicks: the session goes on (a PING is
// answered while the first question is open), the queue holds its bound and
// every other offer is declined at once with a line.
TEST(ChatClient, AFloodOfOffersWaitsInABoundedQueue) {
  ClientRig rig;
  const auto offer = [](int from) {
    const QByteArray number = QByteArray::number(from);
    return ":p" + number + "!u@h PRIVMSG me :\x01" "DCC SEND f" + number + ".bin 2130706433 1 10\x01\r\n";
  };
  QByteArray flood;
  for (int from = 1; from < 1200; ++from) flood += offer(from);
  rig.view.during = [&] {
    rig.server.Write(flood);
    ASSERT_TRUE(rig.Caught("during"));
  };
  rig.server.Write(offer(0));
  const int held = static_cast<int>(TQuestions::kMaxHeld);
  ASSERT_TRUE(WaitUntil([&] { return rig.view.asked.size() == held; }, 30000));
  QCoreApplication::processEvents();
  EXPECT_EQ(rig.view.asked.size(), held);
  EXPECT_EQ(rig.view.mostOpen, 1);
  EXPECT_EQ(rig.view.asked.back(), "f19.bin");
  EXPECT_TRUE(rig.view.shown.contains(QString::fromUtf8("◆ p1199님의 파일(f1199.bin) 받기 요청이 너무 많아 거절했습니다.")));
  EXPECT_FALSE(rig.view.shown.contains(QString::fromUtf8("p19님의 파일(f19.bin) 받기 요청이")));
  for (int seq = 0; seq < 1200; ++seq) ASSERT_FALSE(rig.client.Engine().DeclineRecv(seq)) << seq;
}

// A line of the message of the day loses the reply's ":-" and nothing more,
// whether the server sends both or the colon alone.
TEST(ChatClient, MessageOfTheDayLinesKeepTheirFirstLetter) {
  ClientRig rig;
  rig.server.Write(":srv 375 me :- srv Message of the day\r\n:srv 372 me :- first\r\n:srv 372 me :Welcome\r\n"
                   ":srv 372 me :\r\n:srv 376 me :End\r\n");
  ASSERT_TRUE(rig.Caught("motd"));
  EXPECT_EQ(rig.view.motd, (QStringList{" first", "Welcome", ""}));
}

// A logon while a listing runs does nothing: no rejoin, no second list.
TEST(ChatClient, LogonDuringAListingDoesNothing) {
  ClientRig rig;
  rig.client.Engine().SimulateLine(":me!u@h JOIN :#kept");
  rig.client.Engine().SimulateLine(":srv 321 me Channel :Users Name");
  EXPECT_TRUE(rig.client.Listing());
  rig.client.Engine().SimulateLine(":srv 001 me :Welcome");
  ASSERT_TRUE(rig.Caught("marker"));
  EXPECT_FALSE(rig.server.Received().contains("JOIN #kept"));
  EXPECT_FALSE(rig.server.Received().contains("LIST"));
  EXPECT_EQ(rig.view.listings, 1);
}

// Aliases expand; the user's own line is shown once it went out.
TEST(ChatClient, TypedLinesExpandAliases) {
  ClientRig rig;
  rig.view.front = {TFrontKind::Channel, "#c"};
  rig.client.RunLine("/j #d");
  ASSERT_TRUE(rig.server.WaitForText("JOIN #d\r\n"));
  rig.client.RunLine("hello");
  ASSERT_TRUE(rig.server.WaitForText("PRIVMSG #c :hello\r\n"));
  EXPECT_TRUE(WaitUntil([&] { return rig.view.shown.contains("<me> hello"); }));
}

using Entries = std::vector<std::string>;

// Any nick can send a private line: peers open at most 50 private windows,
// then their lines go to the status window, told once. Open windows keep
// their lines; the user may open more.
TEST(ChatClient, PeersOpenQueryWindowsOnlyUpToACap) {
  ClientRig rig;
  for (int i = 1; i < TChatClient::kPeerQueryCap; ++i) rig.view.queries.insert("n" + std::to_string(i));
  rig.server.Write(":n0!u@h PRIVMSG me :hi 0\r\n:n50!u@h PRIVMSG me :hi 50\r\n:n51!u@h PRIVMSG me :hi 51\r\n"
                   ":n1!u@h PRIVMSG me :again\r\n");
  ASSERT_TRUE(rig.Caught("capped"));
  rig.client.RunLine("/query mine");
  EXPECT_EQ(rig.view.queries.size(), TChatClient::kPeerQueryCap + 1u);
  EXPECT_EQ(rig.view.into["n0"], QStringList{"<n0> hi 0"});
  EXPECT_EQ(rig.view.into["n1"], QStringList{"<n1> again"});
  QStringList status;
  for (const TOutLine& line : rig.view.lines)
    if (line.where == TOutTarget::Status) status << DecodeDisplay(line.text.c_str());
  EXPECT_EQ(status, (QStringList{QString::fromUtf8("◆ 귓속말 창이 너무 많아 새 귓속말은 상태창에 표시합니다."),
                                 "<n50> hi 50", "<n51> hi 51"}));
}

// The lists follow the engine; a quit is told in exactly the channels the
// member was in, a new nick in every channel that now lists it.
TEST(ChatClient, MemberListsAndTheirLinesFollowTheEngine) {
  ClientRig rig;
  rig.server.Write(":srv 001 me :hi\r\n:me!u@h JOIN #a\r\n:me!u@h JOIN #b\r\n:me!u@h JOIN #c\r\n"
                   ":srv 353 me = #a :@me amy bob\r\n:srv 366 me #a :End\r\n"
                   ":srv 353 me = #b :me amy\r\n:srv 366 me #b :End\r\n"
                   ":srv 353 me = #c :me +bob\r\n:srv 366 me #c :End\r\n"
                   ":carl!c@h JOIN #b * :Carl\r\n:bob!u@h QUIT :bye\r\n:amy!u@h NICK :Amelia\r\n"
                   ":op!u@h MODE #b +v carl\r\n:dan!d@h JOIN #b acct :Dan\r\n:carl!c@h ACCOUNT carlacct\r\n");
  ASSERT_TRUE(rig.Caught("members"));
  EXPECT_EQ(rig.view.Members("#a"), (Entries{"@me", "Amelia"}));
  EXPECT_EQ(rig.view.Members("#b"), (Entries{"+carl", "Amelia", "dan", "me"}));
  EXPECT_EQ(rig.view.Members("#c"), (Entries{"me"}));
  const QString quit = QString::fromUtf8("◆ bob님이 서버를 떠나셨습니다.");
  const QString nick = QString::fromUtf8("◆ amy님의 대화명이 Amelia으로 바뀌었습니다.");
  EXPECT_EQ(rig.view.into["#a"].filter(quit).size() + rig.view.into["#c"].filter(quit).size(), 2);
  EXPECT_TRUE(rig.view.into["#b"].filter(quit).empty());
  EXPECT_EQ(rig.view.into["Amelia"], QStringList{nick});
  EXPECT_EQ(rig.view.shown.count(quit), 2);
  EXPECT_EQ(rig.view.Member("#b", "carl", Qt::ToolTipRole).toString(), QString::fromUtf8("carl!c@h\n계정: carlacct\n이름: Carl"));
  EXPECT_EQ(rig.view.Member("#b", "dan", Qt::ToolTipRole).toString(), QString::fromUtf8("dan!d@h\n계정: acct\n이름: Dan"));

  // Leaving a channel drops its list; a second quit finds no stale channel.
  rig.server.Write(":me!u@h PART #a\r\n:Amelia!u@h QUIT :later\r\n");
  ASSERT_TRUE(rig.Caught("left"));
  EXPECT_EQ(rig.view.into["#b"].filter(QString::fromUtf8("◆ Amelia님이 서버를")).size(), 1);
  EXPECT_EQ(rig.view.shown.count(QString::fromUtf8("◆ Amelia님이 서버를")), 1);
}

// The user's own away state, the peers' away messages once each, and the
// account a WHOIS names.
TEST(ChatClient, AwayRepliesAndAccountsAreShown) {
  ClientRig rig;
  rig.server.Write(":srv 306 me :You have been marked as being away\r\n"
                   ":srv 301 me amy :lunch\r\n:srv 301 me AMY :lunch\r\n:srv 301 me amy :gym\r\n"
                   ":srv 330 me amy amyacct :is logged in as\r\n"
                   ":srv 305 me :You are no longer marked as being away\r\n");
  ASSERT_TRUE(rig.Caught("away"));
  EXPECT_EQ(rig.view.awayShown, (QList<bool>{true, false}));
  EXPECT_TRUE(rig.view.shown.contains(QString::fromUtf8("◆ 자리 비움으로 표시했습니다.")));
  EXPECT_TRUE(rig.view.shown.contains(QString::fromUtf8("◆ 자리 비움을 끝냈습니다.")));
  EXPECT_EQ(rig.view.shown.count(QString::fromUtf8("◆ amy님은 자리를 비웠습니다: lunch")), 1);
  EXPECT_EQ(rig.view.shown.count(QString::fromUtf8("◆ amy님은 자리를 비웠습니다: gym")), 1);
  EXPECT_TRUE(rig.view.shown.contains(QString::fromUtf8("◆ amy님의 계정: amyacct")));
}

// A page hears each message in Unicode whatever the wire's coding, but the
// unread count of a window behind only when the feed's timer runs, however
// many arrive; a window brought to the front starts again from nothing.
TEST(ChatClient, ThePageHearsMessagesAndCoalescedUnreadCounts) {
  ClientRig rig;
  RecordingListener listener;
  rig.client.Feed().SetListener(&listener);
  rig.view.front = {TFrontKind::Channel, "#front"};
  rig.server.Write(":srv 001 me :hi\r\n:me!u@h JOIN #front\r\n:me!u@h JOIN #back\r\n");
  rig.server.Write(":bob!u@h PRIVMSG #front :" + QByteArray::fromStdString(EncodeText(QString::fromUtf8("안녕 친구"))) + "\r\n");
  ASSERT_TRUE(rig.Caught("cp949"));
  EXPECT_EQ(listener.last, QString::fromUtf8("#front bob 안녕 친구 channel"));
  rig.server.Write(":bob!u@h PRIVMSG #front :" + QString::fromUtf8("잘 가").toUtf8() + "\r\n");
  ASSERT_TRUE(rig.Caught("utf8"));
  EXPECT_EQ(listener.last, QString::fromUtf8("#front bob 잘 가 channel"));
  // A flood handled in one go is told once, at the timer's next turn.
  for (int i = 0; i < 2000; ++i)
    rig.client.Engine().SimulateLine((":bob!u@h PRIVMSG #back :line " + std::to_string(i)).c_str());
  rig.client.Engine().SimulateLine(":bob!u@h PRIVMSG #back :me: look");
  EXPECT_EQ(listener.messages, 2003);
  EXPECT_TRUE(listener.unread.isEmpty());
  ASSERT_TRUE(WaitUntil([&] { return !listener.unread.isEmpty(); }));
  EXPECT_EQ(listener.unread, QStringList{"#back 2001 mention"});

  rig.view.front = {TFrontKind::Channel, "#back"};
  rig.client.FrontSeen();
  ASSERT_TRUE(WaitUntil([&] { return listener.unread.last() == "#back 0"; }));

  rig.server.Write(":bob!u@h PART #back :bye\r\n:op!u@h KICK #front amy :out\r\n:cat!u@h QUIT :gone\r\n"
                   ":bob!u@h NICK robert\r\n:srv 433 me x :taken\r\n");
  ASSERT_TRUE(rig.Caught("members"));
  EXPECT_EQ(listener.heard.mid(3).join('|').toStdString(),
            "part #back bob bye|kick #front amy out|quit  cat gone|nick bob robert|error 433");
  rig.client.Feed().SetListener(nullptr);
}

// A certificate no one vouches for is offered for trust, with the server's
// name and the certificate's SHA-256: no leaves the connection refused, yes
// keeps the pin and logs on. A pinned certificate that has changed is
// refused with a line showing the new one, and nothing is asked.
TEST(ChatClient, AnUntrustedCertificateIsTrustedOnFirstUse) {
  NgircdServer server;
  ASSERT_TRUE(server.EnableTls() && server.Start());
  ScratchRegistry registry;
  const QString fingerprint = QString::fromStdString(server.Certificates().Fingerprint()).toUpper();
  const std::string address = "ircs://localhost:" + std::to_string(server.TlsPort());
  const QString refused = QString::fromUtf8("◆ 보안 연결을 거부했습니다");
  {
    RecordingView view;
    TChatClient client;
    client.SetView(&view);
    client.ApplyNick("tofu");
    client.ConnectTo(address.c_str());
    ASSERT_TRUE(WaitUntil([&] { return view.asked.size() == 1; }, 10000));
    EXPECT_EQ(view.asked[0], "localhost " + fingerprint);
    EXPECT_EQ(CDatas().TlsFingerprint, "");
    view.trust = true;
    client.ConnectTo(address.c_str());
    ASSERT_TRUE(WaitUntil([&] { return view.shown.contains(QString::fromUtf8("로그온 했습니다")); }, 10000));
    EXPECT_EQ(view.asked.size(), 2);
    EXPECT_EQ(view.shown.count(refused), 2);  // the answer no made no attempt of its own
    EXPECT_EQ(QString::fromStdString(CDatas().TlsFingerprint), fingerprint);
  }
  { CDatas().TlsFingerprint = "00:11:22"; }
  RecordingView view;
  TChatClient client;
  client.SetView(&view);
  client.ApplyNick("tofu");
  client.ConnectTo(address.c_str());
  ASSERT_TRUE(WaitUntil([&] { return view.shown.contains(refused); }, 10000));
  QCoreApplication::processEvents();  // a question would have been posted with the line
  EXPECT_TRUE(view.shown.contains(QString::fromUtf8("믿기로 한 인증서와 다릅니다(새 인증서의 SHA-256 ") + fingerprint))
      << view.shown.toStdString();
  EXPECT_TRUE(view.asked.isEmpty());
  EXPECT_EQ(CDatas().TlsFingerprint, "00:11:22");
}

}  // namespace

// Stands in for the desktop's notification service on the test's own bus.
class NotificationListener : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

 public:
  QStringList got;  // "summary|body"

 public slots:
  uint Notify(const QString&, uint, const QString&, const QString& summary, const QString& body, const QStringList&,
              const QVariantMap&, int) {
    got << summary + "|" + body;
    return uint(got.size());
  }
};

namespace {

// A mention or a private line while the host window is in the background
// reaches the desktop, once per window however many come within ten seconds;
// nothing while the user looks at the window or once it is turned off.
// The bus delivers in order, so each notification proves no other came before.
TEST(ChatClient, MentionsInTheBackgroundReachTheDesktopOncePerWindow) {
  PrivateSessionBus bus;
  ASSERT_TRUE(bus.Start());
  NotificationListener listener;
  ASSERT_TRUE(bus.Serve(&listener, "org.freedesktop.Notifications", "/org/freedesktop/Notifications", "listener"));
  ClientRig rig;
  auto now = TNotifyRules::Clock::now();
  rig.client.NotifyRules().SetClock([&] { return now; });
  rig.server.Write(":srv 001 me :hi\r\n:me!u@h JOIN #c\r\n");
  rig.view.active = true;
  rig.server.Write(":bob!u@h PRIVMSG #c :me: while you look\r\n");
  ASSERT_TRUE(rig.Caught("active"));
  rig.view.active = false;
  QByteArray flood = ":bob!u@h PRIVMSG #c :no one named\r\n";
  for (int i = 0; i < 50; ++i)
    flood += ":bob!u@h PRIVMSG #c :me: " + QByteArray::fromStdString(EncodeText(QString::fromUtf8("안녕 %1").arg(i))) + "\r\n";
  rig.server.Write(flood + ":amy!u@h PRIVMSG me :" + QString::fromUtf8("비밀").toUtf8() + "\r\n");
  ASSERT_TRUE(WaitUntil([&] { return listener.got.size() == 2; }));
  EXPECT_EQ(listener.got, QStringList({QString::fromUtf8("#c|bob: me: 안녕 0"), QString::fromUtf8("amy|amy: 비밀")}));
  EXPECT_EQ(rig.view.alerts, 2);

  now += TNotifyRules::kQuietTime;
  rig.client.Settings().Notifications = 0;
  rig.server.Write(":bob!u@h PRIVMSG #c :me: turned off\r\n");
  ASSERT_TRUE(rig.Caught("off"));
  rig.client.Settings().Notifications = 1;
  rig.server.Write(":bob!u@h PRIVMSG #c :me: <b>again</b>\r\n");
  ASSERT_TRUE(WaitUntil([&] { return listener.got.size() == 3; }));
  EXPECT_EQ(listener.got.last(), "#c|bob: me: &lt;b&gt;again&lt;/b&gt;");
}

}  // namespace

#include "test_chatclient.moc"
