// The password through the real QtKeychain, talking to a wallet service of
// the test's own on a private session bus: it lives with the service, never
// in the settings file, and comes back from there.
#include <gtest/gtest.h>

#include <QFile>
#include <QLibrary>
#include <QThread>
#include <map>

#include "C_datas.h"
#include "U_secrets.h"
#include "scratch_registry.h"
#include "session_bus.h"

// The wallet service's interface as QtKeychain calls it: one wallet,
// entries by folder and key.
class WalletStandIn : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.KWallet")

 public:
  std::map<QString, QByteArray> entries;  // "folder/key"

 public slots:
  QString networkWallet() { return QStringLiteral("kdewallet"); }
  int open(const QString&, qlonglong, const QString&) { return 1; }
  int entryType(int, const QString& folder, const QString& key, const QString&) {
    return entries.count(folder + "/" + key) ? 2 : 0;  // a stream, or none
  }
  QByteArray readEntry(int, const QString& folder, const QString& key, const QString&) {
    return entries[folder + "/" + key];
  }
  QString readPassword(int, const QString& folder, const QString& key, const QString&) {
    return QString::fromUtf8(entries[folder + "/" + key]);
  }
  int writeEntry(int, const QString& folder, const QString& key, const QByteArray& value, const QString&) {
    entries[folder + "/" + key] = value;
    return 0;
  }
  int writePassword(int, const QString& folder, const QString& key, const QString& value, const QString&) {
    entries[folder + "/" + key] = value.toUtf8();
    return 0;
  }
  int removeEntry(int, const QString& folder, const QString& key, const QString&) {
    return entries.erase(folder + "/" + key) ? 0 : -1;
  }
};

namespace {

// Serves on a thread of its own, as the service would from its process:
// the settings wait for the answer on theirs.
struct ServingThread : QThread {
  ~ServingThread() override {
    quit();
    wait();
  }
};

TEST(Secrets, ThePasswordLivesWithTheDesktopsSecretService) {
  // QtKeychain prefers a Secret Service library when one is installed; this
  // stand-in speaks only the wallet's interface.
  if (QLibrary(QStringLiteral("secret-1"), 0).load()) GTEST_SKIP() << "libsecret is installed";
  // As on a KDE desktop, where QtKeychain asks the wallet service; it picks
  // its way once per process, at the first question.
  qputenv("XDG_CURRENT_DESKTOP", "KDE");
  qputenv("KDE_SESSION_VERSION", "5");
  PrivateSessionBus bus;
  ASSERT_TRUE(bus.Start());
  WalletStandIn wallet;
  ServingThread serving;
  wallet.moveToThread(&serving);
  serving.start();
  // Older and newer versions of the service, as QtKeychain may look for either.
  for (const QString version : {"", "5"})
    ASSERT_TRUE(bus.Serve(&wallet, "org.kde.kwalletd" + version, "/modules/kwalletd" + version, "wallet" + version));
  ScratchRegistry registry;
  {
    CDatas datas;
    datas.SaslAccount = "me";
    datas.SaslPassword = "\xBA\xF1\xB9\xD0 pw";  // CP949 bytes stay bytes
  }
  EXPECT_EQ(wallet.entries["velko/SaslPassword"], "\xBA\xF1\xB9\xD0 pw");
  QFile file(registry.Path() + "/HKEY_LOCAL_MACHINE.ini");
  ASSERT_TRUE(file.open(QIODevice::ReadOnly));
  const QByteArray stored = file.readAll();
  EXPECT_TRUE(stored.contains("SaslAccount"));
  EXPECT_FALSE(stored.contains("SaslPassword"));
  SetSecretStore(nullptr);  // forgets what it knew, as a new process would
  EXPECT_EQ(CDatas().SaslPassword, "\xBA\xF1\xB9\xD0 pw");
  { CDatas().SaslPassword.clear(); }
  EXPECT_EQ(wallet.entries.count("velko/SaslPassword"), 0u);
  EXPECT_FALSE(TakeSecretInFileNotice());
}

}  // namespace

#include "test_secrets.moc"
