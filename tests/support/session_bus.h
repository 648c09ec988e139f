// A session bus of the test's own: a dbus-daemon that lives as long as the
// object, named in DBUS_SESSION_BUS_ADDRESS meanwhile, so nothing a test does
// reaches the desktop's bus. Start it before anything in the process first
// uses the session bus.
#pragma once

#include <QObject>
#include <QProcess>
#include <QString>

class PrivateSessionBus {
 public:
  PrivateSessionBus() = default;
  ~PrivateSessionBus();
  PrivateSessionBus(const PrivateSessionBus&) = delete;
  PrivateSessionBus& operator=(const PrivateSessionBus&) = delete;

  bool Start();
  const QString& Address() const { return address_; }
  // Offers `object`'s slots on the bus as `service` at `path`, over a
  // connection of its own named `connection`, as another process would.
  bool Serve(QObject* object, const QString& service, const QString& path, const QString& connection) const;

 private:
  QProcess daemon_;
  QString address_;
  QByteArray before_;  // the address the process had
};
