#include "http_folder_server.h"

#include <QRegularExpression>

#include "wait_until.h"

bool HttpFolderServer::Start(const QString& folder, int timeoutMs) {
  process_.setProcessChannelMode(QProcess::MergedChannels);
  // Port 0: the server picks a free one and prints it.
  process_.start("python3", {"-u", "-m", "http.server", "0", "--bind", "127.0.0.1", "--directory", folder});
  if (!process_.waitForStarted(timeoutMs)) return false;
  const QRegularExpression announced("port (\\d+)");
  QByteArray output;
  WaitUntil(
      [&] {
        output += process_.readAll();
        const QRegularExpressionMatch match = announced.match(QString::fromLatin1(output));
        if (match.hasMatch()) port_ = static_cast<uint16_t>(match.captured(1).toUInt());
        return port_ != 0 || process_.state() == QProcess::NotRunning;
      },
      timeoutMs);
  return port_ != 0;
}

void HttpFolderServer::Stop() {
  if (process_.state() == QProcess::NotRunning) return;
  process_.terminate();
  if (!process_.waitForFinished(3000)) {
    process_.kill();
    process_.waitForFinished(3000);
  }
}
