// Capability negotiation, SASL and the UTF-8-only announcement against a
// scripted server: each row is a conversation of what the client must have
// sent and what the server answers to it.
#include <gtest/gtest.h>

#include <QByteArray>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "C_servercaps.h"
#include "U_codepage.h"
#include "engine_recorder.h"
#include "scripted_server.h"
#include "wait_until.h"

namespace {

using Step = std::pair<const char*, const char*>;  // awaited client text, server answer

constexpr const char* kPassword = "s3cr\xC3\xABt pass";

struct Conversation {
  const char* name;
  const char* account;
  std::vector<Step> steps;
  std::vector<std::string> events;  // the numeric and CAP records seen, in order
};

// The base64 PLAIN payload for account "velko" and kPassword.
std::string PlainPayload() {
  return ZoBase64(std::string("velko") + '\0' + "velko" + '\0' + kPassword);
}

// Field `index` of a tab-separated event line.
std::string Field(const std::string& line, size_t index) {
  size_t start = 0;
  for (size_t i = 0; i < index && start != std::string::npos; ++i) start = line.find('\t', start) + 1;
  return line.substr(start, line.find('\t', start) - start);
}

void Feed(CZoServerCaps& caps, std::initializer_list<const char*> lines) {
  for (const char* line : lines) {
    stIRC record;
    CZoAnalysis::Parse(line, &record);
    caps.Handle(record);
  }
}

}  // namespace

TEST(ServerCaps, ConversationsEndInRegistration) {
  const std::string plain = "AUTHENTICATE " + PlainPayload() + "\r\n";
  const Conversation conversations[] = {
      {"login succeeds",
       "velko",
       {{"CAP LS 302\r\n", ":srv CAP * LS * :away-notify multi-prefix\r\n:srv CAP * LS :sasl=PLAIN,EXTERNAL\r\n"},
        {"CAP REQ :away-notify multi-prefix sasl\r\n", ":srv CAP * ACK :away-notify multi-prefix sasl\r\n"},
        {"AUTHENTICATE PLAIN\r\n", "AUTHENTICATE +\r\n"},
        {plain.c_str(), ":srv 900 me me!u@h velko :You are now logged in\r\n:srv 903 me :SASL authentication successful\r\n"},
        {"CAP END\r\n", ":srv 001 me :Welcome\r\n"}},
       {"CAP", "CAP", "CAP", "AUTHENTICATE", "900", "903", "001"}},
      {"login refused (904)",
       "velko",
       {{"CAP LS 302\r\n", ":srv CAP * LS :sasl multi-prefix\r\n"},
        {"CAP REQ :multi-prefix sasl\r\n", ":srv CAP * ACK :multi-prefix sasl\r\n"},
        {"AUTHENTICATE PLAIN\r\n", "AUTHENTICATE +\r\n"},
        {plain.c_str(), ":srv 904 me :SASL authentication failed\r\n"},
        {"CAP END\r\n", ":srv 001 me :Welcome\r\n"}},
       {"CAP", "CAP", "AUTHENTICATE", "904", "001"}},
      {"server without CAP",
       "velko",
       {{"NICK me\r\n", ":srv 421 * CAP :Unknown command\r\n:srv 001 me :Welcome\r\n"}},
       {"001"}},
      {"request refused (NAK)",
       "",
       {{"CAP LS 302\r\n", ":srv CAP * LS :multi-prefix sasl\r\n"},
        {"CAP REQ :multi-prefix\r\n", ":srv CAP * NAK :multi-prefix\r\n"},
        {"CAP END\r\n", ":srv 001 me :Welcome\r\n"}},
       {"CAP", "CAP", "001"}},
      {"nothing wanted on offer",
       "velko",
       {{"CAP LS 302\r\n", ":srv CAP * LS :vendor.example/unknown\r\n"}, {"CAP END\r\n", ":srv 001 me :Welcome\r\n"}},
       {"CAP", "001"}},
      // The server goes quiet: registration goes on without what is missing once the deadline has passed.
      {"offer never made", "", {{"CAP LS 302\r\n", ""}, {"CAP END\r\n", ":srv 001 me :Welcome\r\n"}}, {"001"}},
      {"login never continued",
       "velko",
       {{"CAP LS 302\r\n", ":srv CAP * LS * :multi-prefix\r\n:srv CAP * LS :sasl\r\n"},
        {"CAP REQ :multi-prefix sasl\r\n", ":srv CAP * ACK :multi-prefix sasl\r\n"},
        {"AUTHENTICATE PLAIN\r\n", ""},
        {"AUTHENTICATE *\r\nCAP END\r\n", ":srv 001 me :Welcome\r\n"}},
       {"CAP", "CAP", "CAP", "001"}},
  };
  for (const Conversation& c : conversations) {
    SCOPED_TRACE(c.name);
    ScriptedServer server;
    EngineRecorder r;
    r.engine.SetLogin(c.account, kPassword);
    r.engine.SetDeadlines({.registerMs = 1500});
    r.engine.SetAddress("127.0.0.1");
    r.engine.SetPort(server.Port());
    r.engine.OnConnect = [&](void*) { r.engine.Send("USER quelbo 0 0 :me\r\nNICK me\r\n"); };
    ASSERT_TRUE(r.engine.Connect());
    ASSERT_TRUE(server.WaitForClient());
    for (const auto& [awaited, answer] : c.steps) {
      ASSERT_TRUE(server.WaitForText(awaited)) << awaited << " in " << server.Received().toStdString();
      if (*answer) server.Write(answer);
    }
    ASSERT_TRUE(r.WaitFor("OnLogon\t(null)"));
    std::vector<std::string> seen;
    for (const std::string& line : r.Events({"OnIRC"})) seen.push_back(Field(line, 4));
    EXPECT_EQ(seen, c.events);
    // The registration lines go out as before, and no CAP END twice.
    EXPECT_TRUE(server.Received().contains("USER quelbo 0 0 :me\r\nNICK me\r\n"));
    EXPECT_LE(server.Received().count("CAP END"), 1);
    for (const std::string& line : r.lines) {
      EXPECT_EQ(line.find("s3cr"), std::string::npos) << line;
      EXPECT_EQ(line.find(PlainPayload()), std::string::npos) << line;
    }
  }
}

TEST(ServerCaps, PlainPayloadsInUtf8AndFourHundredByteChunksEndedByAPlus) {
  std::vector<std::string> sent;
  CZoServerCaps caps([&](const char* text) { sent.emplace_back(text); });
  caps.SetLogin("a", std::string(298, 'p'));  // "a\0a\0" and 298 bytes: 302 bytes, 404 in base64
  caps.Start();
  Feed(caps, {":s CAP * LS :sasl", ":s CAP * ACK :sasl", "AUTHENTICATE +"});
  ASSERT_EQ(sent.size(), 5u);
  EXPECT_EQ(sent[3].size(), std::string("AUTHENTICATE \r\n").size() + 400);
  EXPECT_EQ(sent[4], "AUTHENTICATE " + ZoBase64(std::string("a\0a\0", 4) + std::string(298, 'p')).substr(400) + "\r\n");

  sent.clear();
  caps.SetLogin("ab", std::string(294, 'p'));  // 300 bytes: exactly 400 in base64
  caps.Start();
  Feed(caps, {":s CAP * LS :sasl", ":s CAP * ACK :sasl", "AUTHENTICATE +"});
  ASSERT_EQ(sent.size(), 5u);
  EXPECT_EQ(sent[4], "AUTHENTICATE +\r\n");

  // RFC 4616 wants UTF-8: a Korean login kept in CP949 goes out in UTF-8.
  sent.clear();
  caps.SetLogin(EncodeText(QString::fromUtf8("벨코")), EncodeText(QString::fromUtf8("비밀 번호")));
  caps.Start();
  Feed(caps, {":s CAP * LS :sasl", ":s CAP * ACK :sasl", "AUTHENTICATE +"});
  EXPECT_EQ(sent.at(3), "AUTHENTICATE " + ZoBase64(std::string("벨코\0벨코\0비밀 번호", 27)) + "\r\n");
  EXPECT_EQ(ZoBase64("Man"), "TWFu");
  EXPECT_EQ(ZoBase64("Ma"), "TWE=");
  EXPECT_EQ(ZoBase64("M"), "TQ==");
}

// A client certificate logs in by itself, even with a password in the settings.
TEST(ServerCaps, AClientCertificateLogsInByExternal) {
  std::vector<std::string> sent;
  CZoServerCaps caps([&](const char* text) { sent.emplace_back(text); });
  caps.SetLogin("velko", kPassword);
  caps.Start(true);
  Feed(caps, {":s CAP * LS :sasl=PLAIN,EXTERNAL", ":s CAP * ACK :sasl", "AUTHENTICATE +", ":s 903 me :ok"});
  EXPECT_EQ(sent, (std::vector<std::string>{"CAP LS 302\r\n", "CAP REQ :sasl\r\n", "AUTHENTICATE EXTERNAL\r\n",
                                            "AUTHENTICATE +\r\n", "CAP END\r\n"}));
}

// The 005 reply sets the wire: UTF-8 for UTF8ONLY or CHARSET=UTF-8 in any
// letter case, CP949 for anything else, afresh on each connection.
TEST(ServerCaps, AnnouncedCharsets) {
  const std::pair<const char*, bool> announced[] = {
      {"UTF8ONLY", true},       {"CHARSET=UTF-8", true}, {"charset=utf-8", true}, {"CHARSET=utf8", true},
      {"CHARSET=ascii", false}, {"CHARSET", false},      {"CHANTYPES=#", false},
  };
  for (const auto& [token, utf8] : announced) {
    CZoServerCaps caps(nullptr);
    caps.Start();
    Feed(caps, {(std::string(":s 005 me ") + token + " :are supported").c_str()});
    EXPECT_EQ(caps.Utf8Announced(), utf8) << token;
    caps.Start();
    EXPECT_FALSE(caps.Utf8Announced()) << token;
  }
}

// A UTF-8-only server gets the typed Korean as UTF-8 and its refusals are
// records like any other. A fixed encoding holds whatever the server says.
TEST(ServerCaps, Utf8OnlyServersGetUtf8) {
  ScriptedServer server;
  EngineRecorder r;
  r.engine.SetAddress("127.0.0.1");
  r.engine.SetPort(server.Port());
  ASSERT_TRUE(r.engine.Connect());
  ASSERT_TRUE(server.WaitForClient());
  ASSERT_TRUE(server.WaitForText("CAP LS 302\r\n"));
  server.Write(":srv 421 me CAP :Unknown\r\n:srv 001 me :Welcome\r\n:srv 005 me CHANTYPES=# UTF8ONLY :are supported\r\n");
  ASSERT_TRUE(WaitUntil([&] { return r.engine.Utf8Wire(); }));
  r.engine.Send("PRIVMSG #c :\xC7\xD1\xB1\xDB\r\nPRIVMSG #c :\xED\x95\x9C\r\n");  // "한글" in CP949, "한" in UTF-8
  ASSERT_TRUE(server.WaitForText("PRIVMSG #c :\xED\x95\x9C\xEA\xB8\x80\r\nPRIVMSG #c :\xED\x95\x9C\r\n"));
  std::string korean;
  for (int i = 0; i < 300; ++i) korean += "\xC7\xD1";
  r.engine.Send(("PRIVMSG #c :" + korean + "\r\n").c_str());
  ASSERT_TRUE(WaitUntil([&] { return server.Received().count("PRIVMSG #c") == 3 && server.Received().endsWith("\r\n"); }));
  const QByteArray received = server.Received();
  const QByteArray last = received.mid(received.lastIndexOf("PRIVMSG"));
  EXPECT_LE(last.size(), 512);
  EXPECT_TRUE(last.endsWith("\xED\x95\x9C\r\n"));
  r.engine.SetWireCoding(TWireCoding::Cp949);
  r.engine.Send("PRIVMSG #k :\xC7\xD1\xB1\xDB\r\n");
  EXPECT_TRUE(server.WaitForText("PRIVMSG #k :\xC7\xD1\xB1\xDB\r\n"));
}

// What a server can make the negotiation hold or send is bounded: an endless
// offer ends in CAP END, a login it spoils is aborted once, and it cannot
// switch on a login nobody asked for.
TEST(ServerCaps, AServerCannotMakeTheNegotiationGrowOrLogInUnasked) {
  std::vector<std::string> sent;
  CZoServerCaps caps([&](const char* text) { sent.emplace_back(text); });
  caps.SetLogin("velko", kPassword);
  caps.Start();
  std::string offer = ":s CAP * LS * :";
  for (int i = 0; i < 40; ++i) offer += "vendor.example/cap-" + std::to_string(i) + " ";
  for (int i = 0; i < 20000; ++i) Feed(caps, {offer.c_str()});
  Feed(caps, {":s CAP * LS :sasl"});
  EXPECT_EQ(sent, (std::vector<std::string>{"CAP LS 302\r\n", "CAP END\r\n"}));

  sent.clear();
  caps.Start();
  Feed(caps, {":s CAP * LS :sasl", ":s CAP * ACK :sasl", "AUTHENTICATE +"});
  for (int i = 0; i < 20000; ++i) Feed(caps, {"AUTHENTICATE bogus"});
  ASSERT_EQ(sent.size(), 6u);
  EXPECT_EQ(std::vector<std::string>(sent.end() - 2, sent.end()),
            (std::vector<std::string>{"AUTHENTICATE *\r\n", "CAP END\r\n"}));

  sent.clear();
  caps.SetLogin("", "");
  caps.Start();
  Feed(caps, {":s CAP * LS :multi-prefix sasl", ":s CAP * ACK :multi-prefix sasl", "AUTHENTICATE +"});
  EXPECT_EQ(sent, (std::vector<std::string>{"CAP LS 302\r\n", "CAP REQ :multi-prefix\r\n", "CAP END\r\n"}));
}
