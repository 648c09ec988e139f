// The session without any window: a real engine against a scripted server,
// its lines collected as the window would show them.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QEvent>
#include <QTcpServer>
#include <QTcpSocket>

#include "U_codepage.h"
#include "U_ircline.h"
#include "U_pacedsender.h"
#include "U_render.h"
#include "U_session.h"
#include "Zoengine.h"
#include "scripted_server.h"
#include "wait_until.h"

namespace {

struct SessionRig {
  SessionRig() {
    TSession::TWindow window;
    window.write = [this](const TOutLine& line) { shown += DecodeDisplay(line.text.c_str()) + '\n'; };
    window.rejoin = [this] { ++rejoins; };
    session = std::make_unique<TSession>(engine, sender, std::move(window));
    engine.OnConnect = [this](void*) { session->Connected("Real Name", "me"); };
    engine.OnLogon = [this](void*) { session->LoggedOn(); };
    engine.OnDisconnect = [this](void*) { session->Disconnected(); };
    engine.OnIRCError = [this](int* code) { session->Failed(code); };
  }
  bool Shows(const char* text) const { return shown.contains(QString::fromUtf8(text)); }
  // A reconnect that was due when the user quit arrives as this very event.
  bool StrayReconnectConnects() {
    QEvent due(static_cast<QEvent::Type>(TSession::kReconnectEvent));
    QCoreApplication::sendEvent(session.get(), &due);
    return engine.state != TZoEngine::Idle;
  }

  TZoEngine engine;
  // The usual burst, then a line per 100 ms.
  TPacedSender sender{[this](const std::string& line) { return engine.Send(line.c_str()); }, {5, 100}};
  std::unique_ptr<TSession> session;
  QString shown;
  int rejoins = 0;
};

TEST(Reconnect, BackoffDoublesToAMinuteAndResets) {
  TReconnectBackoff backoff;
  std::vector<int> delays;
  for (int i = 0; i < 10; ++i) delays.push_back(backoff.NextDelayMs());
  EXPECT_EQ(delays, (std::vector<int>{0, 1000, 2000, 4000, 8000, 16000, 32000, 60000, 60000, 60000}));
  backoff.Reset();
  EXPECT_EQ(backoff.NextDelayMs(), 0);
}

// Registers once connected; the first logon without page channels asks for
// the list, no later one does; every logon rejoins; a lost connection comes
// back at once.
TEST(Session, RegistersListsOnceAndRejoinsAfterALoss) {
  ScriptedServer server;
  SessionRig rig;
  rig.session->ConnectTo(("127.0.0.1:" + std::to_string(server.Port())).c_str());
  ASSERT_TRUE(server.WaitForText("USER quelbo 0 0 :Real Name\r\nNICK me\r\n"));
  EXPECT_TRUE(rig.Shows("◆ 서버에 접속되었습니다."));
  server.Write(":srv 001 me :Welcome\r\n");
  ASSERT_TRUE(server.WaitForText("LIST\r\n"));
  EXPECT_EQ(rig.rejoins, 1);

  server.CloseClient();
  ASSERT_TRUE(WaitUntil([&] { return rig.Shows("◆ 재접속 합니다."); }));
  ASSERT_TRUE(WaitUntil([&] { return server.HasClient() && !server.ClientClosed(); }));
  ASSERT_TRUE(server.WaitForText("NICK me\r\n"));
  server.Write(":srv 001 me :Welcome\r\n");
  ASSERT_TRUE(WaitUntil([&] { return rig.rejoins == 2; }));
  EXPECT_FALSE(server.Received().contains("LIST"));  // what the new connection received
}

// A long list of page channels goes out comma-joined and paced, one line
// after the other, so a line typed meanwhile is not stuck behind the list.
TEST(Session, ManyPageChannelsJoinPacedBesideTypedLines) {
  ScriptedServer server;
  SessionRig rig;
  std::string list;
  for (int i = 0; i < 400; ++i) list += (i ? ",page-channel-" : "page-channel-") + std::to_string(i);
  rig.session->SetAutoJoinChannels(list.c_str());
  rig.session->ConnectTo(("127.0.0.1:" + std::to_string(server.Port())).c_str());
  ASSERT_TRUE(server.WaitForText("NICK me\r\n"));
  server.Write(":srv 001 me :Welcome\r\n");
  ASSERT_TRUE(server.WaitForText("JOIN #page-channel-0,#page-channel-1,"));
  rig.sender.Enqueue("PRIVMSG #c :typed\r\n");
  ASSERT_TRUE(server.WaitForText("PRIVMSG #c :typed\r\n"));
  const QByteArray received = server.Received();
  EXPECT_FALSE(received.contains("#page-channel-399"));
  EXPECT_FALSE(received.contains("LIST"));
  EXPECT_FALSE(rig.session->AutoJoin().empty());
  for (const QByteArray& line : received.split('\n')) EXPECT_LE(line.size() + 1, static_cast<qsizetype>(kIrcLineMax));
}

// A server that welcomes and closes at once is retried at once, then after
// a wait: a logon alone does not cut the waits short, so such a server is
// not hammered. The user's quit ends the retries and says how to come back
// instead of promising a reconnect.
TEST(Session, ReconnectBacksOffAcrossLogonsAndStopsAfterTheUsersQuit) {
  QTcpServer slam;
  ASSERT_TRUE(slam.listen(QHostAddress::LocalHost, 0));
  int accepted = 0;
  QObject::connect(&slam, &QTcpServer::newConnection, [&] {
    while (QTcpSocket* peer = slam.nextPendingConnection()) {
      ++accepted;
      peer->write(":srv 001 me :Welcome\r\n");
      peer->disconnectFromHost();  // once the welcome is out; the server owns the socket
    }
  });
  SessionRig rig;
  rig.session->ConnectTo(("127.0.0.1:" + std::to_string(slam.serverPort())).c_str());
  ASSERT_TRUE(WaitUntil([&] { return rig.Shows("◆ 1초 후 다시 연결합니다."); }));
  EXPECT_EQ(accepted, 2);
  EXPECT_EQ(rig.shown.count(QString::fromUtf8("◆ 로그온 했습니다")), 2);
  rig.session->UserQuit();
  EXPECT_FALSE(rig.StrayReconnectConnects());

  ScriptedServer server;
  rig.session->ConnectTo(("127.0.0.1:" + std::to_string(server.Port())).c_str());
  ASSERT_TRUE(server.WaitForText("NICK me\r\n"));
  rig.shown.clear();
  rig.session->UserQuit();
  server.CloseClient();
  ASSERT_TRUE(WaitUntil([&] { return rig.Shows("◆ 요청하신 대로 서버와의 접속을 끊었습니다."); }));
  EXPECT_FALSE(rig.Shows("재접속"));
}

// A refused connection raises no disconnect, yet is retried, not in a tight loop.
TEST(Session, RefusedConnectionIsRetriedWithBackoff) {
  QTcpServer probe;
  ASSERT_TRUE(probe.listen(QHostAddress::LocalHost, 0));
  const uint16_t port = probe.serverPort();
  probe.close();
  SessionRig rig;
  rig.session->ConnectTo(("127.0.0.1:" + std::to_string(port)).c_str());
  EXPECT_TRUE(WaitUntil([&] { return rig.Shows("◆ 1초 후 다시 연결합니다."); }));
  EXPECT_EQ(rig.shown.count(QString::fromUtf8("IRC-Error : 10061 (연결이 거부되었습니다)")), 2);
  rig.session->UserQuit();
  EXPECT_FALSE(rig.StrayReconnectConnects());
  EXPECT_EQ(rig.shown.count("IRC-Error"), 2);

  // Nothing is left half-open: a typed line says it was not sent, and the
  // next server is contacted as asked.
  EXPECT_EQ(rig.engine.state, TZoEngine::Idle);
  rig.sender.Enqueue(Irc::Privmsg("#c", "lost"), [&] { rig.shown += "echo\n"; });
  EXPECT_TRUE(rig.Shows("◆ 서버에 접속되어 있지 않아 보내지 못했습니다."));
  EXPECT_FALSE(rig.Shows("echo"));
  ScriptedServer good;
  rig.session->ConnectTo(("127.0.0.1:" + std::to_string(good.Port())).c_str());
  EXPECT_TRUE(good.WaitForText("NICK me\r\n"));
}

}  // namespace
