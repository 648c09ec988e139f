// The settings record on the registry: defaults, damaged or unusable storage,
// round trips and atomic writes.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <fcntl.h>
#include <future>
#include <sys/stat.h>
#include <unistd.h>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "C_datas.h"
#include "U_secrets.h"
#include "registry.h"

namespace {

using Aliases = std::vector<std::string>;

const Aliases kDefaultAliases = {"TO=PRIVMSG", "MSG=PRIVMSG", "QUERY=PRIVMSG", "J=JOIN",
                                 "P=PART",     "N=NICK",      "AL=NICK",       "L=LIST",
                                 "W=WHOIS",    "ST=LIST",     "JOIN=JOIN",     "PART=PART"};

void ExpectDefaults(const CDatas& datas) {
  const QString downloads = QStandardPaths::writableLocation(QStandardPaths::DownloadLocation);
  EXPECT_EQ(datas.Address + datas.Nick + datas.UserName + datas.EMail + datas.Location + datas.Age + datas.Sex,
            "localhostVELKOVELKOvelko@localhostKOREA1?");
  EXPECT_EQ(datas.Port, 6667);
  EXPECT_EQ(datas.Alias, kDefaultAliases);
  EXPECT_EQ(datas.Intro, "\xBE\xC8\xB3\xE7\xC7\xCF\xBC\xBC\xBF\xE4 \xB9\xDD\xB0\xA9\xBD\xC0\xB4\xCF\xB4\xD9.");
  EXPECT_EQ(datas.FontName, "\xB1\xBC\xB8\xB2\xC3\xBC");
  EXPECT_EQ(datas.FontSize, 9);
  EXPECT_EQ(datas.DCCDir, QFile::encodeName(downloads).toStdString() + "/");
}

// Each test gets its own registry folder.
class DatasTest : public testing::Test {
 protected:
  void SetUp() override { UseFreshFolder(); }
  void TearDown() override {
    qunsetenv("VELKO_REGISTRY_DIR");
    SetSecretStore(nullptr);
  }

  // Not created yet: creating it is the registry's job.
  QString Folder() const { return folders_.back()->path() + "/registry"; }
  QString MachineFile() const { return Folder() + "/HKEY_LOCAL_MACHINE.ini"; }

  void UseFreshFolder() {
    folders_.push_back(std::make_unique<QTemporaryDir>());
    qputenv("VELKO_REGISTRY_DIR", QFile::encodeName(Folder()));
  }

  // The process keeps what it wrote; later reads must come from the bytes on disk.
  void ReopenFromDisk() {
    const QString old = Folder();
    UseFreshFolder();
    ASSERT_TRUE(QDir().mkpath(Folder()));
    for (const QString& name : QDir(old).entryList({"*.ini"}, QDir::Files))
      ASSERT_TRUE(QFile::copy(old + "/" + name, Folder() + "/" + name));
  }

  void WriteMachineFile(const QByteArray& bytes) {
    ASSERT_TRUE(QDir().mkpath(Folder()));
    QFile file(MachineFile());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
  }

  void Store(const char* name, const QByteArray& data) {
    auto key = RegKey::Create(HKEY_LOCAL_MACHINE, "Software\\QUELBO\\VELKO");
    ASSERT_TRUE(key);
    key->SetValue(name, REG_BINARY, data);
  }

  std::vector<std::unique_ptr<QTemporaryDir>> folders_;
};

TEST_F(DatasTest, StoredAliasTableSkipsEmptyPiecesAndDoesNotGrow) {
  Store("Alias", "J=JOIN;;X=PRIVMSG;JOIN=JOIN");
  const Aliases expected = {"J=JOIN", "X=PRIVMSG", "JOIN=JOIN", "PART=PART"};
  for (int cycle = 0; cycle < 3; ++cycle) {
    ReopenFromDisk();
    EXPECT_EQ(CDatas().Alias, expected) << "cycle " << cycle;
  }
}

TEST_F(DatasTest, LoginAndTrustValuesSurviveARestart) {
  {
    CDatas datas;
    datas.Utf8 = 1;
    datas.SaslAccount = "velko";
    datas.SaslPassword = "pass word";
    datas.TlsFingerprint = "ab:cd";
    datas.TlsCaFile = "/etc/ca.pem";
    datas.TlsClientCert = "/home/me/cert.pem";
  }
  ReopenFromDisk();
  const CDatas datas;
  EXPECT_EQ(datas.Utf8, 1);
  EXPECT_EQ(datas.SaslAccount + "|" + datas.SaslPassword + "|" + datas.TlsFingerprint + "|" + datas.TlsCaFile + "|" +
                datas.TlsClientCert + "|" + datas.TlsClientKey,
            "velko|pass word|ab:cd|/etc/ca.pem|/home/me/cert.pem|");
}

// Encoding decides the wire when it names one; left at auto, Utf8=1 still
// means UTF-8; a value it does not know is auto.
TEST_F(DatasTest, TheChosenWireEncoding) {
  CDatas datas;
  EXPECT_EQ(ChosenWireCoding(datas), TWireCoding::Auto);
  const std::tuple<const char*, int, TWireCoding> cases[] = {
      {"auto", 1, TWireCoding::Utf8}, {"CP949", 1, TWireCoding::Cp949}, {"latin1", 0, TWireCoding::Auto}};
  for (const auto& [encoding, utf8, chosen] : cases) {
    datas.Encoding = encoding;
    datas.Utf8 = utf8;
    EXPECT_EQ(ChosenWireCoding(datas), chosen) << encoding;
  }
}

TEST_F(DatasTest, ValuesThatDoNotFitReadAsDefaults) {
  Store("Port", QByteArray("\x01\x02\0\0\0", 5));
  Store("Nick", QByteArray(511, 'n'));  // the longest that fits with its NUL
  Store("Address", QByteArray(512, 'a'));
  CDatas datas;
  EXPECT_EQ(datas.Port, 6667);
  EXPECT_EQ(datas.Nick, std::string(511, 'n'));
  EXPECT_EQ(datas.Address, "localhost");
}

// A settings file that is a FIFO: reading it would wait for a writer for good.
TEST_F(DatasTest, SettingsFileThatIsNoRegularFileKeepsDefaults) {
  ASSERT_TRUE(QDir().mkpath(Folder()));
  const QByteArray fifo = QFile::encodeName(MachineFile());
  ASSERT_EQ(mkfifo(fifo.constData(), 0600), 0);
  auto loaded = std::async(std::launch::async, [] {
    CDatas datas;
    return datas.Nick;
  });
  if (loaded.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
    close(open(fifo.constData(), O_WRONLY));  // lets the stuck reader see an end and go
    FAIL() << "loading from a FIFO hangs";
  }
  EXPECT_EQ(loaded.get(), "VELKO");
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
  ASSERT_TRUE(QDir().mkpath(MachineFile()));  // a folder where the file should be
  { CDatas().Nick = "changed"; }
  EXPECT_EQ(CDatas().Nick, "VELKO");
}

// Stands in for the desktop's secret service, running or not.
struct FakeSecrets : ISecretStore {
  std::optional<std::string> Read(const std::string& name) override {
    ++reads;
    return running ? std::optional(kept[name]) : std::nullopt;
  }
  bool Write(const std::string& name, const std::string& secret) override {
    if (running) kept[name] = secret;
    return running;
  }
  bool running = true;
  int reads = 0;
  std::map<std::string, std::string> kept;
};

FakeSecrets& UseFakeSecrets() {
  auto store = std::make_unique<FakeSecrets>();
  FakeSecrets& fake = *store;
  SetSecretStore(std::move(store));
  return fake;
}

QByteArray FileText(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A password an older version left in the file moves to a secret service
// that runs now, and leaves the file.
TEST_F(DatasTest, APasswordInTheFileMovesToTheSecretService) {
  Store("SaslPassword", "old");
  FakeSecrets& secrets = UseFakeSecrets();
  EXPECT_EQ(CDatas().SaslPassword, "old");
  EXPECT_EQ(secrets.kept["SaslPassword"], "old");
  EXPECT_FALSE(FileText(MachineFile()).contains("SaslPassword"));
}

// Without one it stays in the file only the user may read, and the user is
// told once.
TEST_F(DatasTest, WithoutASecretServiceThePasswordStaysInThePrivateFile) {
  UseFakeSecrets().running = false;
  { CDatas().SaslPassword = "pass word"; }
  EXPECT_TRUE(FileText(MachineFile()).contains("SaslPassword"));
  EXPECT_EQ(CDatas().SaslPassword, "pass word");
  EXPECT_TRUE(TakeSecretInFileNotice());
  EXPECT_FALSE(TakeSecretInFileNotice());
}

// Without an account nothing needs the service: it is not asked, and a save
// leaves what it keeps; an account set later logs in with it.
TEST_F(DatasTest, TheSecretServiceIsAskedOnlyForALogin) {
  FakeSecrets& secrets = UseFakeSecrets();
  secrets.kept["SaslPassword"] = "kept";
  { CDatas().Nick = "other"; }
  EXPECT_EQ(secrets.reads, 0);
  EXPECT_EQ(secrets.kept["SaslPassword"], "kept");
  CDatas datas;
  datas.SaslAccount = "velko";
  datas.FetchKeptPassword();
  EXPECT_EQ(datas.SaslPassword, "kept");
}

mode_t ModeOf(const QString& path) {
  struct stat info {};
  EXPECT_EQ(stat(QFile::encodeName(path).constData(), &info), 0) << path.toStdString();
  return info.st_mode & 0777;
}

// Passwords live here: with the usual umask, the folder and its files are the
// user's alone, new or found wider, before and after a write.
TEST_F(DatasTest, FolderAndFilesAreTheUsersAlone) {
  const mode_t was = umask(022);
  { CDatas().SaslPassword = "secret"; }
  EXPECT_EQ(ModeOf(Folder()), 0700u);
  EXPECT_EQ(ModeOf(MachineFile()), 0600u);

  UseFreshFolder();
  WriteMachineFile("");
  ASSERT_EQ(chmod(QFile::encodeName(Folder()).constData(), 0755), 0);
  ASSERT_EQ(chmod(QFile::encodeName(MachineFile()).constData(), 0644), 0);
  auto key = RegKey::Create(HKEY_LOCAL_MACHINE, "Software\\QUELBO\\VELKO");
  ASSERT_TRUE(key);
  EXPECT_EQ(ModeOf(Folder()), 0700u);
  EXPECT_EQ(ModeOf(MachineFile()), 0600u);  // so the atomic write's temporary file is made 0600 too
  key->SetValue("SaslPassword", REG_SZ, "secret");
  EXPECT_TRUE(key->Flush());
  EXPECT_EQ(ModeOf(MachineFile()), 0600u);
  umask(was);
}

// Which file is on disk and when it was last written: an atomic rewrite gives
// a new file, so a new inode and new times.
std::tuple<ino_t, int64_t, int64_t> Stamp(const QString& file) {
  struct stat info {};
  if (stat(QFile::encodeName(file).constData(), &info) != 0) return {};
  return {info.st_ino, int64_t(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec,
          int64_t(info.st_ctim.tv_sec) * 1000000000 + info.st_ctim.tv_nsec};
}

TEST_F(DatasTest, OnlyAChangedValueRewritesTheFile) {
  { CDatas().Nick = "first"; }
  const auto written = Stamp(MachineFile());
  ASSERT_NE(std::get<0>(written), ino_t(0));
  for (int run = 0; run < 2; ++run) {
    CDatas datas;
    datas.Nick = "first";  // set again, to what is stored
  }
  EXPECT_EQ(Stamp(MachineFile()), written);

  {
    CDatas datas;
    datas.Port = 7000;
  }
  EXPECT_NE(Stamp(MachineFile()), written);
}

TEST_F(DatasTest, CorruptFileKeepsItsGoodValuesAndIsReplacedBySave) {
  WriteMachineFile(
      "[Software]\nQUELBO\\VELKO\\Sex=binary:4d\nQUELBO\\VELKO\\Nick=binary:4\nQUELBO\\VELKO\\Age=@ByteArray(AB)\n"
      "QUELBO\\VELKO\\Port=dword:zz\n[unterminated\n\xff\xfe garbage=\n==\n[]\n");
  {
    CDatas datas;
    EXPECT_EQ(datas.Sex + datas.Nick + datas.Age, "MVELKO1");
    EXPECT_EQ(datas.Port, 6667);
    datas.Nick = "after";
  }
  ReopenFromDisk();
  EXPECT_EQ(CDatas().Nick, "after");
}

TEST_F(DatasTest, KilledWriterNeverLeavesAHalfWrittenFile) {
  for (int round = 0; round < 8; ++round) {
    UseFreshFolder();
    QProcess writer;
    writer.start(REGISTRY_WRITER, {Folder()});
    ASSERT_TRUE(writer.waitForReadyRead(30000)) << "the writer never stored a value";
    QThread::msleep(7 + round * 37);  // spread over a generation or more
    writer.kill();
    writer.waitForFinished();
    // Killed while creating Qt's lock file, a writer leaves it empty, and Qt
    // then waits 30 s before it takes the lock as stale: not what is tested here.
    QFile::remove(MachineFile() + ".lock");

    ReopenFromDisk();
    auto key = RegKey::Create(HKEY_LOCAL_MACHINE, "Software\\Writer");
    ASSERT_TRUE(key);
    const std::optional<RegValue> size = key->QueryValue("Size");
    const std::optional<RegValue> blob = key->QueryValue("Blob");
    ASSERT_TRUE(size && blob) << "round " << round;
    EXPECT_EQ(QByteArray::number(blob->data.size()), size->data) << "round " << round;
    EXPECT_EQ(blob->data.count(blob->data.front()), blob->data.size()) << "round " << round;
  }
}

}  // namespace
