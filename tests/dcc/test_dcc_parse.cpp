// DCC offers taken apart, received names made safe, and the offers the engine writes.
#include <QRegularExpression>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>

#include "C_analdcc.h"
#include "C_socket.h"
#include "Zoengine.h"
#include "scripted_server.h"
#include "wait_until.h"

namespace {

stDCC ParseOffer(const std::string& body) {
  stIRC irc;
  const std::string line = ":peer!user@host.example PRIVMSG me :\x01" + body + "\x01";
  CZoAnalysis::Parse(line.c_str(), &irc);
  stDCC dcc;
  CZoAnalDCC::Parse(irc, &dcc);
  return dcc;
}

}  // namespace

TEST(DccParse, SendInAnyCaseWithAddressAbove2To31) {
  const stDCC dcc = ParseOffer("DCC send report.txt 3232235521 1025 100");
  EXPECT_STREQ(dcc.Type, "send");
  EXPECT_STREQ(dcc.Arg, "report.txt");
  EXPECT_STREQ(dcc.AddrText, "192.168.0.1");
  EXPECT_EQ(dcc.Addr, 0x0100A8C0u);  // network order in memory
  EXPECT_EQ(dcc.Port, 1025);
  EXPECT_EQ(dcc.Value, 100u);
  EXPECT_STREQ(dcc.Nick, "peer");
  EXPECT_STREQ(dcc.Host, "host.example");
  EXPECT_STREQ(dcc.Target, "me");
  EXPECT_STREQ(dcc.Command, "PRIVMSG");
}

TEST(DccParse, ResumeAcceptAndChatReadTheirOwnFields) {
  const stDCC resume = ParseOffer("DCC RESUME file.bin 49152 3000");
  EXPECT_STREQ(resume.Arg, "file.bin");
  EXPECT_EQ(resume.Port, 49152);
  EXPECT_EQ(resume.Value, 3000u);
  EXPECT_STREQ(resume.AddrText, "");
  EXPECT_EQ(resume.Addr, 0u);

  const stDCC accept = ParseOffer("DCC ACCEPT file.bin 65535 4294967295");
  EXPECT_EQ(accept.Port, 65535);
  EXPECT_EQ(accept.Value, 4294967295u);

  const stDCC chat = ParseOffer("DCC CHAT chat 2130706433 40000");
  EXPECT_STREQ(chat.Arg, "chat");
  EXPECT_STREQ(chat.AddrText, "127.0.0.1");
  EXPECT_EQ(chat.Port, 40000);
  EXPECT_EQ(chat.Value, 0u);
}

TEST(DccParse, MissingFieldsReadAsAllBitsSet) {
  const stDCC cut = ParseOffer("DCC SEND a.txt 3232235521");
  EXPECT_EQ(cut.Port, 65535);
  EXPECT_EQ(cut.Value, 4294967295u);

  const stDCC bare = ParseOffer("DCC SEND a.txt");
  EXPECT_STREQ(bare.AddrText, "255.255.255.255");

  // Two blanks end the field list after an empty name.
  const stDCC doubled = ParseOffer("DCC SEND  a.txt 3232235521 1025 100");
  EXPECT_STREQ(doubled.Type, "SEND");
  EXPECT_STREQ(doubled.Arg, "");
  EXPECT_STREQ(doubled.AddrText, "255.255.255.255");
  EXPECT_EQ(doubled.Port, 65535);
  EXPECT_EQ(doubled.Value, 4294967295u);
}

TEST(DccParse, NumbersReadLikeAtolModulo2To32) {
  EXPECT_EQ(ParseOffer("DCC SEND a 1 -1 5").Port, 65535);
  EXPECT_EQ(ParseOffer("DCC SEND a 1 70000 5").Port, 70000 - 65536);
  EXPECT_EQ(ParseOffer("DCC SEND a 1 2 4294967296").Value, 0u);
  EXPECT_EQ(ParseOffer("DCC SEND a 1 2 99999999999999999999").Value, 1661992959u);
  EXPECT_STREQ(ParseOffer("DCC SEND a 4294967297 2 3").AddrText, "0.0.0.1");
  EXPECT_EQ(ParseOffer("DCC SEND a 1 12abc 5").Port, 12);
  EXPECT_EQ(ParseOffer("DCC SEND a 1 x 5").Port, 0);
}

TEST(DccParse, EmptyOrUnknownTypeFillsNothingElse) {
  for (const char* body : {"DCC", "DCC ", "DCC  SEND a 1 2 3", "DCC XMIT a 1 2 3"}) {
    const stDCC dcc = ParseOffer(body);
    EXPECT_STREQ(dcc.Arg, "") << body;
    EXPECT_EQ(dcc.Port, 0) << body;
    EXPECT_EQ(dcc.Value, 0u) << body;
  }
  EXPECT_STREQ(ParseOffer("DCC XMIT a").Type, "XMIT");
}

TEST(DccParse, QuotedNamesMayHoldBlanks) {
  const stDCC send = ParseOffer("DCC SEND \"my file.txt\" 2130706433 1025 100");
  EXPECT_STREQ(send.Arg, "my file.txt");
  EXPECT_STREQ(send.AddrText, "127.0.0.1");
  EXPECT_EQ(send.Port, 1025);
  EXPECT_EQ(send.Value, 100u);
  const stDCC resume = ParseOffer("DCC RESUME \"a b\" 1025 30");
  EXPECT_STREQ(resume.Arg, "a b");
  EXPECT_EQ(resume.Value, 30u);
  // A quote that does not close a field is an ordinary byte.
  const stDCC open = ParseOffer("DCC SEND \"a b 1 2 3");
  EXPECT_STREQ(open.Arg, "\"a");
  EXPECT_STREQ(ParseOffer("DCC SEND \"a\"b 1 2 3").Arg, "\"a\"b");
  EXPECT_EQ(QuoteFileName("a b"), "\"a b\"");
  EXPECT_EQ(QuoteFileName("ab"), "ab");
}

TEST(DccParse, OverLongFieldsAreCut) {
  const std::string name(400, 'n');
  const std::string type(50, 'T');
  const stDCC dcc = ParseOffer("DCC SEND " + name + " 1 2 3");
  EXPECT_EQ(strlen(dcc.Arg), sizeof dcc.Arg - 1);
  EXPECT_EQ(dcc.Port, 2);
  EXPECT_EQ(strlen(ParseOffer("DCC " + type).Type), sizeof dcc.Type - 1);
}

TEST(DccSafeName, KeepsOnlyAPlainNameInsideTheFolder) {
  EXPECT_EQ(SafeFileName("report.txt"), "report.txt");
  EXPECT_EQ(SafeFileName("../../etc/passwd"), "passwd");
  EXPECT_EQ(SafeFileName("/abs/path/x.bin"), "x.bin");
  EXPECT_EQ(SafeFileName("..\\..\\win.ini"), "win.ini");
  EXPECT_EQ(SafeFileName(".bashrc"), "bashrc");
  EXPECT_EQ(SafeFileName("..."), "dcc_file");
  EXPECT_EQ(SafeFileName("dir/"), "dcc_file");
  EXPECT_EQ(SafeFileName(""), "dcc_file");
  EXPECT_EQ(SafeFileName(nullptr), "dcc_file");
  EXPECT_EQ(SafeFileName("a\x01" "b\x7f" "c\n"), "a_b_c_");
  EXPECT_EQ(SafeFileName(std::string(300, 'x').c_str()).size(), 255u);
  EXPECT_EQ(SafeFileName("\xB0\xA1.txt"), "\xB0\xA1.txt");  // CP949 bytes stay
}

TEST(DccOffers, TextsAndSequenceNumbers) {
  ScriptedServer irc;
  TZoEngine engine;
  engine.SetAddress("127.0.0.1");
  engine.SetPort(irc.Port());
  engine.Connect();
  ASSERT_TRUE(irc.WaitForClient());
  ASSERT_TRUE(WaitUntil([&] { return engine.state == TZoEngine::Connected; }));

  EXPECT_EQ(engine.SendChatRequest("ann"), 0);
  EXPECT_EQ(engine.SendChatRequest("ben"), 1);
  EXPECT_EQ(engine.SendChatRequest("cat"), 2);
  QTemporaryDir dir;
  const FileHandle file = FileOpen(dir.filePath("f").toUtf8().constData(), false, false);
  ASSERT_EQ(FileWrite(file, "12345", 5), 5u);
  EXPECT_EQ(engine.SendFile("dan", "f.bin", file), 0);
  ASSERT_TRUE(irc.WaitForText("DCC SEND"));

  // The advertised address is the server connection's own; ports are unsigned.
  const QRegularExpression chat("PRIVMSG ann :\x01" "DCC CHAT chat 2130706433 (\\d+)\x01\r\n");
  const QRegularExpression send("PRIVMSG dan :\x01" "DCC SEND f.bin 2130706433 (\\d+) 5\x01\r\n");
  const QString received = QString::fromLatin1(irc.Received());
  const auto chatMatch = chat.match(received);
  const auto sendMatch = send.match(received);
  ASSERT_TRUE(chatMatch.hasMatch()) << received.toStdString();
  ASSERT_TRUE(sendMatch.hasMatch()) << received.toStdString();
  EXPECT_GT(chatMatch.captured(1).toUInt(), 0u);
  EXPECT_LE(sendMatch.captured(1).toUInt(), 65535u);
}

TEST(DccOffers, LocalAddressPrefersTheServerConnectionAndNeverLoopbackAlias) {
  EXPECT_EQ(GetLocalAddress(0xC0A80001), 0xC0A80001u);
  const uint32_t own = GetLocalAddress(0);
  EXPECT_TRUE(own == 0x7F000001 || (own >> 24) != 127) << own;
  EXPECT_NE(GetFreePort(), 0);
}
