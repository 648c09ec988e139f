#include <gtest/gtest.h>

#include <QTimer>

#include "C_socket.h"

#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

#include "U_connection.h"
#include "U_lineframer.h"
#include "engine_recorder.h"
#include "ngircd_server.h"
#include "scripted_server.h"
#include "wait_until.h"

namespace {

using Lines = std::vector<std::string>;

struct Wire {
  explicit Wire(int linesPerPass = CZoConnection::kLinesPerPass) : connection(linesPerPass) {
    connection.OnLine = [this](char* line) { lines.emplace_back(line); };
    connection.OnConnect = [this](void*) { ++connects; };
    connection.OnDisconnect = [this](void*) { ++disconnects; };
    EXPECT_TRUE(connection.Connect("127.0.0.1", server.Port()));
    EXPECT_TRUE(server.WaitForClient());
    EXPECT_TRUE(WaitUntil([this] { return connects == 1; }));
  }
  bool WaitLines(size_t count) { return WaitUntil([&] { return lines.size() >= count; }); }

  ScriptedServer server;
  CZoConnection connection;
  Lines lines;
  int connects = 0;
  int disconnects = 0;
};

}  // namespace

// Reads as the server connection (4096 bytes) and a DCC chat (512) make them.
TEST(LineFramer, FramesLinesAcrossAndWithinReads) {
  for (const size_t capacity : {4096u, 512u}) {
    CZoLineFramer framer(capacity);
    Lines lines;
    const auto read = [&](std::string_view bytes) {
      memcpy(framer.Space(), bytes.data(), bytes.size());
      framer.Add(bytes.size());
      while (const char* line = framer.Next()) lines.emplace_back(line);
    };
    read(":a PRIVMSG #c :hel");
    EXPECT_TRUE(lines.empty());
    read("lo\r\nsecond\nthird");
    read("\r\n\r\nunended");
    EXPECT_EQ(lines, (Lines{":a PRIVMSG #c :hello\r\n", "second\n", "third\r\n", "\r\n"}));
    EXPECT_STREQ(framer.Rest(), "unended");
  }
}

// A burst is handled in batches with the event loop running between them;
// every line still arrives once, whole and in order.
TEST(Connection, ABurstYieldsToTheEventLoopAndKeepsItsOrder) {
  constexpr int kLinesPerPass = 100;
  Wire w(kLinesPerPass);
  constexpr int kLines = 3 * kLinesPerPass + 17;
  QByteArray burst;
  Lines expected;
  for (int i = 0; i < kLines; ++i) {
    expected.push_back(":a PRIVMSG #c :line " + std::to_string(i) + "\r\n");
    burst += QByteArray::fromStdString(expected.back());
  }
  size_t handledAtFirstPass = 0;
  w.connection.OnLine = [&](char* line) {
    w.lines.emplace_back(line);
    if (w.lines.size() == 1) QTimer::singleShot(0, [&] { handledAtFirstPass = w.lines.size(); });
  };
  w.server.Write(burst);
  ASSERT_TRUE(WaitUntil([&] { return w.lines.size() >= static_cast<size_t>(kLines); }));
  EXPECT_EQ(w.lines, expected);
  EXPECT_GT(handledAtFirstPass, 0u);
  EXPECT_LE(handledAtFirstPass, static_cast<size_t>(kLinesPerPass));
}

TEST(Connection, AFullBufferWithoutLineEndIsDeliveredAndReadingGoesOn) {
  Wire w;
  constexpr int kFull = CZoConnection::kReceiveSize;
  w.server.Write(QByteArray(kFull, 'x') + "tail\r\n");
  ASSERT_TRUE(w.WaitLines(2));
  EXPECT_EQ(w.lines[0], std::string(kFull, 'x'));
  EXPECT_EQ(w.lines[1], "tail\r\n");
}

TEST(Connection, ANulByteLosesNoFollowingLine) {
  Wire w;
  w.server.Write(QByteArray("bad\0line\r\ngood\r\n", 17));
  ASSERT_TRUE(w.WaitLines(2));
  EXPECT_EQ(w.lines, (Lines{"bad", "good\r\n"}));
}

TEST(Connection, UnfinishedLineIsDroppedWhenTheConnectionCloses) {
  Wire w;
  w.server.Write("partial");
  w.server.CloseClient();
  ASSERT_TRUE(WaitUntil([&] { return w.disconnects == 1; }));
  ScriptedServer next;
  ASSERT_TRUE(w.connection.Connect("127.0.0.1", next.Port()));
  ASSERT_TRUE(next.WaitForClient());
  next.Write("fresh\n");
  ASSERT_TRUE(w.WaitLines(1));
  EXPECT_EQ(w.lines, (Lines{"fresh\n"}));
}

TEST(Engine, StatesThroughASession) {
  EngineRecorder r;
  ScriptedServer server;
  std::vector<int> states;
  r.engine.OnConnect = [&](void*) { states.push_back(r.engine.state); };
  r.engine.OnDisconnect = [&](void*) { states.push_back(r.engine.state); };
  r.engine.SetAddress("127.0.0.1");
  r.engine.SetPort(server.Port());
  ASSERT_TRUE(r.engine.Connect());
  EXPECT_EQ(r.engine.state, TZoEngine::Connecting);
  ASSERT_TRUE(server.WaitForClient());
  ASSERT_TRUE(WaitUntil([&] { return r.engine.state == TZoEngine::Connected; }));
  server.Write(":srv 001 me :Welcome\r\nPING :tok en\r\n");
  ASSERT_TRUE(server.WaitForText("PONG :tok en\r\n"));
  EXPECT_EQ(r.engine.state, TZoEngine::LoggedOn);
  EXPECT_EQ(r.Events({"OnPing", "OnLine"}).back(), "OnLine\tPING :tok en");
  server.Write(":srv PING :prefixed\r\n");
  ASSERT_TRUE(server.WaitForText("PONG :prefixed\r\n"));
  r.engine.Disconnect();
  EXPECT_EQ(states, (std::vector<int>{TZoEngine::InConnect, TZoEngine::Idle}));
  r.engine.Disconnect();
  EXPECT_EQ(states.size(), 2u);
}

// However an attempt fails, it is reported once, with its reason, and
// leaves the engine idle and ready for the next one; nothing was connected.
TEST(Engine, FailedAttemptsAreReportedOnceAndLeaveTheEngineIdle) {
  struct Attempt {
    const char* name;
    bool tls;
    bool refused;
    bool closeAtHello;
    int code;
  };
  const Attempt attempts[] = {
      {"refused", false, true, false, 10061},
      {"closed during the TLS handshake", true, false, true, 10054},
      {"TLS handshake never answered", true, false, false, 10060},
  };
  for (const Attempt& a : attempts) {
    SCOPED_TRACE(a.name);
    ScriptedServer server;
    EngineRecorder r;
    r.engine.SetDeadlines({.connectMs = 300});
    r.engine.SetAddress("127.0.0.1");
    r.engine.SetPort(a.refused ? GetFreePort() : server.Port());
    r.engine.SetTls(a.tls);
    ASSERT_TRUE(r.engine.Connect());
    if (a.closeAtHello) {
      ASSERT_TRUE(WaitUntil([&] { return !server.Received().isEmpty(); }));
      server.CloseClient();
    }
    ASSERT_TRUE(r.WaitFor("OnIRCError\t" + std::to_string(a.code)));
    EXPECT_EQ(r.engine.state, TZoEngine::Idle);
    if (!a.refused) {
      EXPECT_TRUE(WaitUntil([&] { return server.ClientClosed(); }));
    }
    EXPECT_EQ(r.Events({"OnIRCError", "OnConnect", "OnDisconnect"}).size(), 1u);
    EXPECT_TRUE(r.engine.Connect());
    r.engine.Disconnect();
  }
}

// A server that never welcomes, or a link that falls silent and leaves a
// PING unanswered, is given up with a time-out; a link that answers is kept.
TEST(Engine, OverdueRegistrationAndSilentLinksAreGivenUp) {
  ScriptedServer server;
  EngineRecorder r;
  r.engine.SetDeadlines({.registerMs = 300, .silenceMs = 150, .answerMs = 150});
  r.engine.SetAddress("127.0.0.1");
  r.engine.SetPort(server.Port());
  ASSERT_TRUE(r.engine.Connect());
  ASSERT_TRUE(server.WaitForText("CAP LS 302\r\n"));
  server.Write(":srv 421 * CAP :Unknown command\r\n");
  ASSERT_TRUE(r.WaitFor("OnDisconnect\t(null)"));
  EXPECT_EQ(r.Events({"OnIRCError", "OnDisconnect"}), (std::vector<std::string>{"OnIRCError\t10060", "OnDisconnect\t(null)"}));

  ASSERT_TRUE(r.engine.Connect());
  ASSERT_TRUE(WaitUntil([&] { return !server.ClientClosed(); }));
  ASSERT_TRUE(server.WaitForText("CAP LS 302\r\n"));
  server.Write(":srv 421 * CAP :Unknown command\r\n:srv 001 me :Welcome\r\n");
  ASSERT_TRUE(r.WaitFor("OnLogon\t(null)"));
  EXPECT_FALSE(r.engine.Connect());  // a live connection is kept as it is
  EXPECT_EQ(r.engine.state, TZoEngine::LoggedOn);
  EXPECT_EQ(r.engine.LocalAddress(), 0x7F000001u);
  ASSERT_TRUE(server.WaitForText("PING velko\r\n"));
  server.Write(":srv PONG srv :velko\r\n");
  ASSERT_TRUE(WaitUntil([&] { return server.Received().count("PING velko") == 2; }));
  ASSERT_TRUE(WaitUntil([&] { return r.Events({"OnDisconnect"}).size() == 2; }));
  EXPECT_EQ(r.Events({"OnIRCError"}).size(), 2u);
  EXPECT_EQ(r.engine.state, TZoEngine::Idle);
}

// A peer that never reads: what we queue for it stays bounded, and then the
// connection ends with an error event instead of growing without limit.
TEST(Connection, APeerThatNeverReadsIsDroppedOnceTheQueueIsFull) {
  const int listener = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t length = sizeof address;
  ASSERT_EQ(bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  ASSERT_EQ(listen(listener, 1), 0);
  ASSERT_EQ(getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length), 0);

  CZoConnection connection;
  std::vector<int> errors;
  int disconnects = 0;
  connection.OnError = [&](int* code) { errors.push_back(*code); };
  connection.OnDisconnect = [&](void*) { ++disconnects; };
  ASSERT_TRUE(connection.Connect("127.0.0.1", ntohs(address.sin_port)));
  ASSERT_TRUE(WaitUntil([&] { return connection.LocalAddress() != 0; }));
  const std::string pong = "PONG :" + std::string(400, 'x') + "\r\n";
  for (int i = 0; i < 100000 && connection.IsOpen(); ++i) connection.Send(pong.c_str());
  EXPECT_EQ(errors, std::vector<int>{10055});
  EXPECT_TRUE(WaitUntil([&] { return !connection.IsOpen(); }));
  close(listener);
}
