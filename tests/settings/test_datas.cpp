#include <gtest/gtest.h>

#include <QStandardPaths>
#include <string>
#include <vector>

#include "C_datas.h"
#include "registry_folder.h"

namespace {

using Aliases = std::vector<std::string>;

const Aliases kDefaultAliases = {"TO=PRIVMSG", "MSG=PRIVMSG", "QUERY=PRIVMSG", "J=JOIN",
                                 "P=PART",     "N=NICK",      "AL=NICK",       "L=LIST",
                                 "W=WHOIS",    "ST=LIST",     "JOIN=JOIN",     "PART=PART"};

class DatasTest : public RegistryFolderTest {
 protected:
  std::unique_ptr<RegKey> SettingsKey() {
    return RegKey::Create(HKEY_LOCAL_MACHINE, "Software\\QUELBO\\VELKO");
  }

  void Store(const char* name, const QByteArray& data, RegValueType type = REG_BINARY) {
    auto key = SettingsKey();
    ASSERT_TRUE(key);
    key->SetValue(name, type, data);
    ASSERT_TRUE(key->Flush());
  }

  QByteArray Stored(const char* name) {
    const std::optional<RegValue> value = SettingsKey()->QueryValue(name);
    EXPECT_TRUE(value && value->type == REG_BINARY) << name;
    return value ? value->data : QByteArray();
  }

  static void ExpectDefaults(const CDatas& datas) {
    const std::string downloads =
        QFile::encodeName(QStandardPaths::writableLocation(QStandardPaths::DownloadLocation)).toStdString();
    EXPECT_EQ(datas.Address + datas.Nick + datas.UserName + datas.EMail + datas.Location + datas.Age +
                  datas.Sex,
              "localhostVELKOVELKOvelko@localhostKOREA1?");
    EXPECT_EQ(datas.Port, 6667);
    EXPECT_EQ(datas.Alias, kDefaultAliases);
    EXPECT_EQ(datas.Intro, "\xBE\xC8\xB3\xE7\xC7\xCF\xBC\xBC\xBF\xE4 \xB9\xDD\xB0\xA9\xBD\xC0\xB4\xCF\xB4\xD9.");
    EXPECT_EQ(datas.FontName, "\xB1\xBC\xB8\xB2\xC3\xBC");
    EXPECT_EQ(datas.FontSize, 9);
    EXPECT_EQ(datas.DCCDir, downloads + "/");
  }
};

TEST_F(DatasTest, FreshFolderGivesDefaultsAndStoresEveryValueAsBinary) {
  ExpectDefaults(CDatas());
  ReopenFromDisk();

  for (const char* name : {"Address", "Nick", "UserName", "EMail", "Location", "Age", "Sex",
                           "Intro", "FontName", "DCCDir"})
    EXPECT_FALSE(Stored(name).isEmpty()) << name;
  EXPECT_EQ(Stored("Port"), QByteArray("\x0b\x1a\0\0", 4));
  EXPECT_EQ(Stored("FontSize"), QByteArray("\x09\0\0\0", 4));
  EXPECT_EQ(Stored("Alias"),
            "TO=PRIVMSG;MSG=PRIVMSG;QUERY=PRIVMSG;J=JOIN;P=PART;N=NICK;AL=NICK;L=LIST;W=WHOIS;ST=LIST;"
            "JOIN=JOIN;PART=PART;");
}

TEST_F(DatasTest, StoredTableSkipsEmptyPiecesAndDoesNotGrowAcrossRuns) {
  Store("Alias", "J=JOIN;;X=PRIVMSG;JOIN=JOIN;PART=PART;JOIN=JOIN");
  const Aliases expected = {"J=JOIN", "X=PRIVMSG", "JOIN=JOIN", "PART=PART"};
  EXPECT_EQ(CDatas().Alias, expected);
  EXPECT_EQ(CDatas().Alias, expected);
  ReopenFromDisk();
  EXPECT_EQ(Stored("Alias"), "J=JOIN;X=PRIVMSG;JOIN=JOIN;PART=PART;");
}

TEST_F(DatasTest, ValuesThatDoNotFitReadAsDefaultsWhateverTheirType) {
  Store("Port", QByteArray("\x01\x02\0\0\0", 5));
  Store("FontSize", QByteArray("\x0c\0", 2));
  Store("Nick", QByteArray(511, 'n'));
  Store("Address", QByteArray(512, 'a'));
  Store("Alias", "Q=QUIT;" + QByteArray(16382 - 7, 'x'));
  Store("EMail", "");
  Store("Sex", "M", REG_SZ);
  {
    CDatas datas;
    EXPECT_EQ(datas.Port, 6667);
    EXPECT_EQ(datas.FontSize, 9);
    EXPECT_EQ(datas.Nick, std::string(511, 'n'));
    EXPECT_EQ(datas.Address, "localhost");
    EXPECT_EQ(datas.Alias.front(), "Q=QUIT");
    EXPECT_EQ(datas.EMail, "");
    EXPECT_EQ(datas.Sex, "M");
  }
  Store("Alias", "Q=QUIT;" + QByteArray(16383 - 7, 'x'));
  Store("Port", QByteArray("\x1b\x1a\0\0", 4), REG_DWORD);
  CDatas datas;
  EXPECT_EQ(datas.Alias, kDefaultAliases);
  EXPECT_EQ(datas.Port, 6683);
}

TEST_F(DatasTest, SavedValuesComeBackFromDisk) {
  {
    CDatas datas;
    datas.Address = "irc.example.net";
    datas.Nick = "\xB1\xBC\xB8\xB2";
    datas.Port = -2;
    datas.Alias = {"K=KICK"};
    datas.EMail = "";
    datas.FontSize = 70000;
  }
  ReopenFromDisk();
  CDatas datas;
  EXPECT_EQ(datas.Address, "irc.example.net");
  EXPECT_EQ(datas.Nick, "\xB1\xBC\xB8\xB2");
  EXPECT_EQ(datas.Port, -2);
  EXPECT_EQ(datas.Alias, (Aliases{"K=KICK", "JOIN=JOIN", "PART=PART"}));
  EXPECT_EQ(datas.EMail, "");
  EXPECT_EQ(datas.FontSize, 70000);
}

TEST_F(DatasTest, UnusableFolderKeepsDefaultsAndWritesNothing) {
  WriteMachineFile("");
  // A file where the folder should be: not even root can create it.
  const QString blocked = MachineFile() + "/registry";
  qputenv("VELKO_REGISTRY_DIR", QFile::encodeName(blocked));
  {
    CDatas datas;
    ExpectDefaults(datas);
    datas.Nick = "changed";
  }
  EXPECT_FALSE(QFile::exists(blocked));

  UseFreshFolder();
  ASSERT_TRUE(QDir().mkpath(MachineFile()));
  { CDatas().Nick = "changed"; }
  EXPECT_EQ(CDatas().Nick, "VELKO");
}

TEST_F(DatasTest, GarbageFileGivesDefaultsAndIsReplacedBySave) {
  QByteArray garbage;
  for (int i = 0; i < 4096; ++i) garbage += char((i * 7919) ^ (i >> 3));
  WriteMachineFile("[Software]\nQUELBO\\VELKO\\Nick=binary:4\n" + garbage);
  {
    CDatas datas;
    ExpectDefaults(datas);
    datas.Nick = "after";
  }
  ReopenFromDisk();
  EXPECT_EQ(CDatas().Nick, "after");
}

}  // namespace
