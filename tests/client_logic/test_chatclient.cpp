// The chat client without a window: a real engine against a scripted server,
// and a view that records what it is asked to show and answers questions.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <set>

#include "U_chatclient.h"
#include "U_codepage.h"
#include "U_render.h"
#include "ngircd_server.h"
#include "scratch_registry.h"
#include "scripted_server.h"
#include "session_bus.h"
#include "test_certificates.h"
#include "wait_until.h"

namespace {

class RecordingView : public IChatView {
 public:
  void Write(const TOutLine& line) override { shown += DecodeDisplay(line.text.c_str()) + '\n'; }
  TFront InputFront() const override { return front; }
  bool HostActive() const override { return active; }
  void Alert() override { ++alerts; }
  bool IsOpen(TFrontKind kind, const std::string& name) const override {
    return kind == TFrontKind::Channel && channels.count(name);
  }
  std::vector<std::string> OpenChannels() const override { return {channels.begin(), channels.end()}; }
  void OpenChannel(const std::string& name) override { channels.insert(name); }
  void CloseChannel(const std::string& name) override { channels.erase(name); }
  void ActivateChannel(const std::string&) override {}
  void ShowQuery(const std::string&) override {}
  void OpenChat(int, const std::string&) override {}
  std::string ChatPeer(int) const override { return {}; }
  void ShowOwnNick(const std::string&) override {}
  void MemberJoined(const std::string&, const std::string&) override {}
  void MemberLeft(const std::string&, const std::string&) override {}
  void MemberQuit(const std::string&) override {}
  void NickChanged(const std::string&, const std::string&) override {}
  void MemberChanged(const std::string&, const std::string&, const std::string&) override {}
  void ModesChanged(const std::string&) override {}
  void TopicChanged(const std::string&, const std::string&) override {}
  void ReloadMembers(const std::string&) override {}
  void ListReply(int numeric, const char*, int, const char*) override { listings += numeric == 321; }
  void OpenMotd() override {}
  void AddMotdLine(const char*) override {}
  bool TopicAnswered(const std::string&, const std::string&) override { return false; }
  void ModesAnswered(const std::string&) override {}
  void OpenTransfer(const TTransferShown&) override {}
  void TransferConnected(int, bool, const std::string&) override {}
  void TransferProgress(int, bool, uint64_t) override {}
  void TransferEnded(int, bool, bool) override {}
  void CloseTransfer(int, bool) override {}
  void Tell(const std::string& text) override { Asked(DecodeDisplay(text.c_str())); }
  void AskNick() override { Asked("nick"); }
  std::string AskKey(const std::string& channel) override {
    Asked(QString::fromStdString(channel));
    return key;
  }
  bool AskChat(const std::string& nick) override {
    Asked(QString::fromStdString(nick));
    return false;
  }
  bool AskTrust(const std::string& host, const std::string& fingerprint) override {
    Asked(QString::fromStdString(host + " " + fingerprint));
    return trust;
  }
  FileHandle AskSaveFile(const TQuestion& offer, const std::function<bool()>&) override {
    Asked(QString::fromStdString(offer.fileName));
    return kNoFile;
  }
  void CancelQuestion() override {}

  // Each question; `during` runs while the first one is open, as a dialog's loop would.
  void Asked(const QString& what) {
    asked << what;
    ++open;
    mostOpen = std::max(mostOpen, open);
    if (asked.size() == 1 && during) during();
    --open;
  }

  TFront front;
  std::set<std::string> channels;
  QString shown;
  QStringList asked;
  std::string key = "secret";
  bool trust = false;
  bool active = false;
  int alerts = 0;
  std::function<void()> during;
  int open = 0;
  int mostOpen = 0;
  int listings = 0;
};

struct ClientRig {
  ClientRig() {
    client.SetView(&view);
    client.ApplyNick("me");
    client.ConnectTo(("127.0.0.1:" + std::to_string(server.Port())).c_str());
    server.WaitForText("NICK me\r\n");
  }
  // The engine has handled everything the server wrote before.
  bool Caught(const char* marker) {
    server.Write(QByteArray("PING :") + marker + "\r\n");
    return server.WaitForText(QByteArray("PONG :") + marker);
  }

  ScratchRegistry registry;
  ScriptedServer server;
  RecordingView view;
  TChatClient client;
};

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

class RecordingListener : public IChatListener {
 public:
  void Connected() override { heard << "connected"; }
  void Disconnected(const QString& reason) override { heard << "disconnected " + reason; }
  void Message(const QString& window, const QString& nick, const QString& text, const QString& kind) override {
    ++messages;
    last = QStringList{window, nick, text, kind}.join(' ');
  }
  void Joined(const QString& channel, const QString& nick) override { heard << "join " + channel + ' ' + nick; }
  void Left(const QString& channel, const QString& nick, const QString& reason, const QString& how) override {
    heard << QStringList{how, channel, nick, reason}.join(' ');
  }
  void Renamed(const QString& oldNick, const QString& newNick) override { heard << "nick " + oldNick + ' ' + newNick; }
  void Topic(const QString& channel, const QString& topic) override { heard << "topic " + channel + ' ' + topic; }
  void Unread(const QString& window, int count, bool mention) override {
    unread << QStringLiteral("%1 %2%3").arg(window).arg(count).arg(mention ? " mention" : "");
  }
  void Error(const QString& code, const QString&) override { heard << "error " + code; }

  QStringList heard;
  QStringList unread;
  QString last;
  int messages = 0;
};

// A page hears each message in Unicode whatever the wire's coding, but the
// unread count of a window behind only a few times however many arrive; a
// window brought to the front starts again from nothing.
TEST(ChatClient, ThePageHearsMessagesAndCoalescedUnreadCounts) {
  ClientRig rig;
  RecordingListener listener;
  rig.client.Feed().SetListener(&listener);
  rig.view.front = {TFrontKind::Channel, "#front"};
  rig.server.Write(":srv 001 me :hi\r\n:me!u@h JOIN #front\r\n:me!u@h JOIN #back\r\n");
  QByteArray flood;
  for (int i = 0; i < 2000; ++i) flood += ":bob!u@h PRIVMSG #back :line " + QByteArray::number(i) + "\r\n";
  rig.server.Write(flood + ":bob!u@h PRIVMSG #back :me: look\r\n");
  rig.server.Write(":bob!u@h PRIVMSG #front :" + QByteArray::fromStdString(EncodeText(QString::fromUtf8("안녕 친구"))) + "\r\n");
  ASSERT_TRUE(rig.Caught("flood"));
  EXPECT_EQ(listener.messages, 2002);
  EXPECT_EQ(listener.last, QString::fromUtf8("#front bob 안녕 친구 channel"));
  rig.server.Write(":bob!u@h PRIVMSG #front :" + QString::fromUtf8("잘 가").toUtf8() + "\r\n");
  ASSERT_TRUE(rig.Caught("utf8"));
  EXPECT_EQ(listener.last, QString::fromUtf8("#front bob 잘 가 channel"));
  ASSERT_TRUE(WaitUntil([&] { return listener.unread.contains("#back 2001 mention"); })) << listener.unread.join('|').toStdString();
  EXPECT_LE(listener.unread.size(), 5);

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
  TestCertificates certificates;
  ASSERT_TRUE(certificates.Make());
  NgircdServer server;
  server.EnableTls(certificates.CertFile(), certificates.KeyFile());
  ASSERT_TRUE(server.Start());
  ScratchRegistry registry;
  const QString fingerprint = QString::fromStdString(certificates.Fingerprint()).toUpper();
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
