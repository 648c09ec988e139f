// DCC offers taken apart, offered names made safe, and the offers the engine writes.
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "C_analdcc.h"
#include "Zoengine.h"
#include "scripted_server.h"
#include "wait_until.h"

// Missing and over-long fields are the engine parser's own tests; these are
// names, types and numbers, which are refused rather than wrapped when they do not fit.
TEST(DccParse, NamesTypesAndNumbers) {
  struct Case {
    const char *body, *type, *arg, *address;
    int port;
    uint64_t value;
    bool usable;
  };
  const Case cases[] = {
      {"DCC send \"my file.txt\" 3232235521 1025 100", "send", "my file.txt", "192.168.0.1", 1025, 100, true},
      {"DCC RESUME \"a b\" 49152 30", "RESUME", "a b", "", 49152, 30, true},
      {"DCC SEND big.iso 2130706433 5000 6000000000", "SEND", "big.iso", "127.0.0.1", 5000, 6000000000u, true},
      {"DCC ACCEPT a 65535 4294967296", "ACCEPT", "a", "", 65535, 4294967296u, true},
      {"DCC CHAT chat 2130706433 65535", "CHAT", "chat", "127.0.0.1", 65535, 0, true},
      {"DCC SEND \"a b 1 2 3", "SEND", "\"a", "", 0, 0, false},  // a quote that closes no field is a plain byte
      {"DCC SEND a 2130706433 65536 5", "SEND", "a", "127.0.0.1", 0, 0, false},
      {"DCC SEND a 4294967296 5000 5", "SEND", "a", "", 0, 0, false},
      {"DCC SEND a 2130706433 5000 9223372036854775808", "SEND", "a", "127.0.0.1", 5000, 0, false},
      {"DCC SEND a 2130706433 5000", "SEND", "a", "127.0.0.1", 5000, 0, false},
      {"DCC XMIT a 1 2 3", "XMIT", "", "", 0, 0, false},  // an unknown type fills nothing else
  };
  for (const Case& c : cases) {
    stIRC irc;
    CZoAnalysis::Parse((":peer!u@h PRIVMSG me :\x01" + std::string(c.body) + "\x01").c_str(), &irc);
    stDCC dcc;
    EXPECT_EQ(CZoAnalDCC::Parse(irc, &dcc), c.usable) << c.body;
    EXPECT_STREQ(dcc.Type, c.type) << c.body;
    EXPECT_STREQ(dcc.Arg, c.arg) << c.body;
    EXPECT_STREQ(dcc.AddrText, c.address) << c.body;
    EXPECT_EQ(dcc.Port, c.port) << c.body;
    EXPECT_EQ(dcc.Value, c.value) << c.body;
  }
}

TEST(DccSafeName, KeepsOnlyAPlainNameInsideTheFolder) {
  const std::pair<const char*, const char*> cases[] = {
      {"report.txt", "report.txt"}, {"../../etc/passwd", "passwd"}, {"/abs/path/x.bin", "x.bin"},
      {"..\\..\\win.ini", "win.ini"}, {".bashrc", "bashrc"},       {"...", "dcc_file"},
      {"dir/", "dcc_file"},           {"", "dcc_file"},             {nullptr, "dcc_file"},
      {"a\x01" "b\x7f" "c\n", "a_b_c_"},
      {"\xB0\xA1.txt", "\xB0\xA1.txt"}};  // code page bytes stay
  for (const auto& [offered, safe] : cases) EXPECT_EQ(SafeFileName(offered), safe) << (offered ? offered : "null");
}

TEST(DccOffers, SequenceNumbersPerTableAndUnsignedPorts) {
  ScriptedServer irc;
  TZoEngine engine;
  engine.SetAddress("127.0.0.1");
  engine.SetPort(irc.Port());
  engine.Connect();
  ASSERT_TRUE(irc.WaitForClient());
  ASSERT_TRUE(WaitUntil([&] { return engine.state == TZoEngine::Connected; }));

  for (const int seq : {0, 1, 2}) EXPECT_EQ(engine.SendChatRequest("ann"), seq);
  QTemporaryDir dir;
  const FileHandle file = FileOpen(dir.filePath("f").toUtf8().constData(), false, false);
  ASSERT_EQ(FileWrite(file, "12345", 5), 5u);
  EXPECT_EQ(engine.SendFile("dan", "f.bin", file), 0);
  ASSERT_TRUE(irc.WaitForText("DCC SEND"));
  // An over-long name is cut between whole double-byte characters, and the
  // numbers after it still reach the peer.
  std::string hangul;
  for (int i = 0; i < 200; ++i) hangul += "\xB0\xA1";
  EXPECT_EQ(engine.SendFile("eve", hangul.c_str(), FileOpen(dir.filePath("f").toUtf8().constData(), true, false)), 1);
  ASSERT_TRUE(WaitUntil([&] { return irc.Received().count(" 5\x01\r\n") == 2; }));
  EXPECT_TRUE(irc.Received().contains(("PRIVMSG eve :\x01" "DCC SEND " + hangul.substr(0, 254) + " 2130706433 ").c_str()));

  // The address is the server connection's own. Listening ports are ephemeral,
  // above 32767, so a signed print would show a minus.
  const QString sent = QString::fromLatin1(irc.Received());
  for (const char* offer : {"PRIVMSG ann :\x01" "DCC CHAT chat 2130706433 (\\d+)\x01\r\n",
                            "PRIVMSG dan :\x01" "DCC SEND f.bin 2130706433 (\\d+) 5\x01\r\n"}) {
    const auto match = QRegularExpression(offer).match(sent);
    ASSERT_TRUE(match.hasMatch()) << offer << "\n" << sent.toStdString();
    EXPECT_LE(match.captured(1).toUInt(), 65535u);
  }
}
