#include "U_keychainstore.h"

#include <QCoreApplication>
#include <QThread>
#include <future>
#include <qt6keychain/keychain.h>

namespace {

const QString kService = QStringLiteral("velko");

enum class TJob { Read, Write, Delete };

struct TAnswer {
  QKeychain::Error error = QKeychain::OtherError;
  QByteArray data;
};

QKeychain::Job* MakeJob(TJob kind, const QString& key, const QByteArray& data, QObject* parent) {
  QKeychain::Job* job = nullptr;
  if (kind == TJob::Read) job = new QKeychain::ReadPasswordJob(kService, parent);
  if (kind == TJob::Delete) job = new QKeychain::DeletePasswordJob(kService, parent);
  if (kind == TJob::Write) {
    auto* write = new QKeychain::WritePasswordJob(kService, parent);
    write->setBinaryData(data);
    job = write;
  }
  job->setKey(key);
  job->setAutoDelete(false);
  return job;
}

// QtKeychain answers through an event loop. Its jobs run on a thread of
// their own, so the caller's loop never runs meanwhile: settings are read
// inside constructors, where nothing else may run. One thread for the
// process, since QtKeychain queues every job on the thread of the first.
class TWorker {
 public:
  static QObject* Context() { return Get().context_; }
  static void Stop() { Get().Finish(); }

 private:
  static TWorker& Get() {
    static TWorker worker;
    return worker;
  }
  TWorker() : context_(new QObject) {
    thread_.setObjectName(QStringLiteral("keychain"));
    context_->moveToThread(&thread_);
    thread_.start();
    qAddPostRoutine(&TWorker::Stop);
  }
  ~TWorker() { Finish(); }
  void Finish() {
    if (!thread_.isRunning()) return;
    QMetaObject::invokeMethod(context_, [this] { delete context_; }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
  }

  QThread thread_;
  QObject* context_;  // lives on thread_, and ends with it
};

// Runs one job on the worker and waits for its answer, which may come
// before start() returns.
TAnswer Ask(TJob kind, const std::string& name, const std::string& secret = {}) {
  QObject* context = TWorker::Context();
  std::promise<TAnswer> promise;
  std::future<TAnswer> answer = promise.get_future();
  QMetaObject::invokeMethod(context, [&, context] {
    QKeychain::Job* job = MakeJob(kind, QString::fromStdString(name), QByteArray::fromStdString(secret), context);
    QObject::connect(job, &QKeychain::Job::finished, context, [&, job] {
      const auto* read = qobject_cast<QKeychain::ReadPasswordJob*>(job);
      promise.set_value({job->error(), read ? read->binaryData() : QByteArray()});
      job->deleteLater();
    });
    job->start();
  });
  return answer.get();
}

}  // namespace

std::optional<std::string> TKeychainStore::Read(const std::string& name) {
  if (unavailable_ || !QCoreApplication::instance()) return std::nullopt;
  if (const auto found = known_.find(name); found != known_.end()) return found->second;
  const TAnswer answer = Ask(TJob::Read, name);
  if (answer.error != QKeychain::NoError && answer.error != QKeychain::EntryNotFound) {
    unavailable_ = true;
    return std::nullopt;
  }
  return known_[name] = answer.data.toStdString();
}

bool TKeychainStore::Write(const std::string& name, const std::string& secret) {
  const std::optional<std::string> current = Read(name);
  if (!current) return false;
  if (*current == secret) return true;
  const QKeychain::Error error = Ask(secret.empty() ? TJob::Delete : TJob::Write, name, secret).error;
  if (error != QKeychain::NoError && !(secret.empty() && error == QKeychain::EntryNotFound)) return false;
  known_[name] = secret;
  return true;
}
