// What a setting may hold, and what is refused with which reason.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <string>
#include <sys/stat.h>
#include <tuple>

#include "C_datas.h"
#include "U_settingrules.h"
#include "scratch_registry.h"

namespace {

// The English reason, or "" when the value passes.
std::string Refusal(const char* name, const std::string& value) {
  const auto fault = CheckSetting(name, value);
  return fault ? fault->english : std::string();
}

TEST(SettingRules, NumbersAndFlagsKeepTheirRange) {
  const std::tuple<const char*, const char*, bool> cases[] = {
      {"Port", "0", false},        {"Port", "65535", true},      {"Port", "66a", false},
      {"Port", "", false},         {"Port", " 80", false},       {"Port", "99999999999", false},
      {"Utf8", "-1", false},       {"PaneLines", "200", true},   {"PaneLines", "100001", false},
      {"HistoryLines", "0", true}, {"HistoryLines", "1001", false},
  };
  for (const auto& [name, value, good] : cases) EXPECT_EQ(Refusal(name, value).empty(), good) << name << "=" << value;
  EXPECT_EQ(Refusal("Port", "70000"), "Port is a number from 1 to 65535, not \"70000\"");
  EXPECT_EQ(CheckSetting("PaneLines", "10")->korean, "200~100000 사이의 숫자를 넣으세요");
  EXPECT_EQ(Refusal("Utf8", "2"), "Utf8 is 0 or 1, not \"2\"");
}

TEST(SettingRules, NicksAServerWouldTake) {
  const std::tuple<std::string, bool> cases[] = {
      {"VELKO", true},  {"[bot]_`^{|}\\-9", true}, {"\xBA\xA7\xC4\xDA", true},  // CP949 Hangul
      {"", false},      {"1abc", false},           {"-x", false},
      {"a b", false},   {"a,b", false},            {"a!b", false},
      {std::string(30, 'n'), true}, {std::string(31, 'n'), false}, {"a\rb", false},
  };
  for (const auto& [nick, good] : cases) EXPECT_EQ(Refusal("Nick", nick).empty(), good) << nick;
  EXPECT_EQ(Refusal("Nick", ""), "Nick cannot be empty");
  EXPECT_EQ(Refusal("Nick", "a b"), "Nick cannot hold \" \"");
  // A list of nicks names the one at fault.
  EXPECT_EQ(Refusal("Friends", "ann,,bob"), "");
  EXPECT_EQ(Refusal("Friends", "ann,2pac"), "Friends: \"2pac\" cannot start with a digit or -");
}

TEST(SettingRules, TextsStayOneLineThatFitsTheirBuffer) {
  EXPECT_EQ(Refusal("Intro", std::string(511, 'x')), "");
  EXPECT_EQ(Refusal("Intro", std::string(512, 'x')), "Intro is at most 511 bytes");
  EXPECT_EQ(Refusal("SaslPassword", "pass\nQUIT"), "SaslPassword is one line");
  EXPECT_EQ(Refusal("Alias", "J=JOIN;;X=PRIVMSG;"), "");
  EXPECT_FALSE(Refusal("Alias", "J=JOIN;=PRIVMSG").empty());
  EXPECT_EQ(Refusal("Encoding", "UTF-8"), "");
  EXPECT_EQ(Refusal("Address", "irc.example.org:6697"), "Address takes no port: set Port");
  EXPECT_FALSE(Refusal("Address", "ircs://irc.example.org").empty());
  EXPECT_EQ(Refusal("TlsFingerprint", std::string(32, 'A') + ":" + std::string(32, 'b')), "");
  EXPECT_FALSE(Refusal("TlsFingerprint", std::string(63, 'a')).empty());
  EXPECT_FALSE(Refusal("TlsFingerprint", std::string(64, 'a') + "g").empty());
  EXPECT_EQ(Refusal("Colour", "1"), "no setting is named Colour");
}

// The folder for received files must exist or be possible to make; a file
// a certificate setting names must be a readable regular file.
TEST(SettingRules, FoldersAndFilesOnDisk) {
  QTemporaryDir scratch;
  const std::string root = QFile::encodeName(scratch.path()).toStdString();
  const std::string file = root + "/plain";
  ASSERT_TRUE(QFile(QString::fromStdString(file)).open(QIODevice::WriteOnly));
  ASSERT_EQ(mkfifo((root + "/fifo").c_str(), 0600), 0);

  EXPECT_EQ(Refusal("DCCDir", root + "/"), "");
  EXPECT_EQ(Refusal("DCCDir", root + "/new/deeper/"), "");
  EXPECT_TRUE(FolderMissing(root + "/new/deeper/"));
  EXPECT_FALSE(FolderMissing(root));
  EXPECT_EQ(Refusal("DCCDir", file + "/below"), "DCCDir: " + file + "/below cannot be created");
  EXPECT_EQ(Refusal("DCCDir", file), "DCCDir: " + file + " is a file, not a folder");
  EXPECT_EQ(Refusal("DCCDir", "relative/"), "DCCDir is a full path, starting with /");

  EXPECT_EQ(Refusal("TlsCaFile", ""), "");
  EXPECT_EQ(Refusal("TlsCaFile", file), "");
  EXPECT_EQ(Refusal("TlsCaFile", root + "/gone.pem"), "TlsCaFile: " + root + "/gone.pem does not exist");
  EXPECT_EQ(Refusal("TlsClientCert", root + "/fifo"), "TlsClientCert: " + root + "/fifo is not a regular file");
  EXPECT_EQ(Refusal("TlsClientKey", root), "TlsClientKey: " + root + " is not a regular file");
}

// What a fresh start holds passes its own rules, so the dialog opens without
// faults; a stored folder keeps its trailing "/".
TEST(SettingRules, DefaultsPassAndStoreRoundTrips) {
  ScratchRegistry registry;
  QTemporaryDir downloads;
  const std::string folder = QFile::encodeName(downloads.path()).toStdString();
  {
    const CDatas datas;
    for (const TSettingInfo& info : SettingInfos())
      EXPECT_EQ(Refusal(info.name, SettingValue(datas, info.name)), "") << info.name;
  }
  EXPECT_EQ(StoreSettings({{"DCCDir", folder}, {"Tls", "1"}}), "");
  const CDatas datas;
  EXPECT_EQ(datas.DCCDir, folder + "/");
  EXPECT_EQ(datas.Tls, 1);
}

}  // namespace
