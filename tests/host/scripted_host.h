// The host program `velko --script -` started on a server, fed script lines
// one at a time and read answer by answer.
#pragma once

#include <QFile>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <cstdint>

#include "wait_until.h"

// The host playing a script fed line by line; each answer read up to its end.
class ScriptedHost {
 public:
  explicit ScriptedHost(QString program = QStringLiteral(VELKO_HOST)) : program_(std::move(program)) {}
  ~ScriptedHost() {
    process_.kill();
    process_.waitForFinished();
  }
  bool Start(uint16_t port, const QString& registry, const QString& grabs) {
    return Start(registry, {QStringLiteral("--addr"), QStringLiteral("127.0.0.1:%1").arg(port), QStringLiteral("--nick"),
                            QStringLiteral("hosty"), QStringLiteral("--chan"), QStringLiteral("e2e"),
                            QStringLiteral("--script"), QStringLiteral("-"), QStringLiteral("--grab-dir"), grabs});
  }
  // With the host's arguments as given.
  bool Start(const QString& registry, const QStringList& args) {
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("VELKO_REGISTRY_DIR"), registry);
    env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process_.setProcessEnvironment(env);
    process_.setProcessChannelMode(keepErrors ? QProcess::SeparateChannels : QProcess::ForwardedErrorChannel);
    process_.start(program_, args);
    return process_.waitForStarted();
  }
  // Standard error kept for the test to read, for a short run only (a full pipe would stall the host).
  bool keepErrors = false;
  void Send(const QString& line) { process_.write((line + QLatin1Char('\n')).toUtf8()); }
  // The lines of the next answer, without its end.
  QStringList Next(int timeoutMs = 10000) {
    QStringList lines;
    const bool ended = WaitUntil(
        [&] {
          while (process_.canReadLine()) {
            const QString line = QString::fromUtf8(process_.readLine()).chopped(1);
            if (line == QLatin1String(".")) return true;
            lines.append(line);
          }
          return false;
        },
        timeoutMs);
    if (!ended) lines.append(QStringLiteral("(no answer)"));
    return lines;
  }
  QStringList Ask(const QString& line) {
    Send(line);
    return Next();
  }
  // Asks until the answer holds `wanted`.
  bool AskUntil(const QString& line, const QString& wanted) {
    return WaitUntil([&] { return Ask(line).contains(wanted); }, 10000);
  }
  // Whether the browser engine's library is mapped into the running host.
  bool MapsBrowserEngine() const {
    QFile maps(QStringLiteral("/proc/%1/maps").arg(process_.processId()));
    return maps.open(QIODevice::ReadOnly) && maps.readAll().contains("libQt6WebEngineCore");
  }
  QString program_;
  QProcess process_;
};
