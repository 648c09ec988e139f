#include "session_bus.h"

#include <QDBusConnection>

PrivateSessionBus::~PrivateSessionBus() {
  if (!address_.isEmpty()) qputenv("DBUS_SESSION_BUS_ADDRESS", before_);
  daemon_.kill();
  daemon_.waitForFinished();
}

bool PrivateSessionBus::Start() {
  daemon_.start(QStringLiteral("dbus-daemon"), {"--session", "--print-address", "--nofork"});
  if (!daemon_.waitForStarted()) return false;
  while (!daemon_.canReadLine())
    if (!daemon_.waitForReadyRead(10000)) return false;
  address_ = QString::fromUtf8(daemon_.readLine().trimmed());
  before_ = qgetenv("DBUS_SESSION_BUS_ADDRESS");
  qputenv("DBUS_SESSION_BUS_ADDRESS", address_.toUtf8());
  return !address_.isEmpty();
}

bool PrivateSessionBus::Serve(QObject* object, const QString& service, const QString& path,
                              const QString& connection) const {
  QDBusConnection bus = QDBusConnection::connectToBus(address_, connection);
  return bus.registerObject(path, object, QDBusConnection::ExportAllSlots) && bus.registerService(service);
}
