#include "U_keychainstore.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <qt6keychain/keychain.h>

namespace {

const QString kService = QStringLiteral("velko");

// QtKeychain answers through the event loop; the settings need the answer now.
// User input waits meanwhile, so no window acts on half-loaded settings.
QKeychain::Error Run(QKeychain::Job& job) {
  bool done = false;
  QEventLoop loop;
  QObject::connect(&job, &QKeychain::Job::finished, &loop, [&] {
    done = true;
    loop.quit();
  });
  job.setAutoDelete(false);
  job.start();
  if (!done) loop.exec(QEventLoop::ExcludeUserInputEvents);
  return job.error();
}

}  // namespace

std::optional<std::string> TKeychainStore::Read(const std::string& name) {
  if (unavailable_ || !QCoreApplication::instance()) return std::nullopt;
  if (const auto found = known_.find(name); found != known_.end()) return found->second;
  QKeychain::ReadPasswordJob job(kService);
  job.setKey(QString::fromStdString(name));
  const QKeychain::Error error = Run(job);
  if (error != QKeychain::NoError && error != QKeychain::EntryNotFound) {
    unavailable_ = true;
    return std::nullopt;
  }
  return known_[name] = error == QKeychain::NoError ? job.binaryData().toStdString() : std::string();
}

bool TKeychainStore::Write(const std::string& name, const std::string& secret) {
  const std::optional<std::string> current = Read(name);
  if (!current) return false;
  if (*current == secret) return true;
  const QString key = QString::fromStdString(name);
  QKeychain::Error error;
  if (secret.empty()) {
    QKeychain::DeletePasswordJob job(kService);
    job.setKey(key);
    error = Run(job);
  } else {
    QKeychain::WritePasswordJob job(kService);
    job.setKey(key);
    job.setBinaryData(QByteArray::fromStdString(secret));
    error = Run(job);
  }
  if (error != QKeychain::NoError && !(secret.empty() && error == QKeychain::EntryNotFound)) return false;
  known_[name] = secret;
  return true;
}
