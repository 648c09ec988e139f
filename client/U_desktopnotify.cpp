#include "U_desktopnotify.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QString>
#include <QStringList>
#include <QVariantMap>

void NotifyDesktop(const QString& summary, const QString& body) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!bus.isConnected()) return;
  QDBusMessage call =
      QDBusMessage::createMethodCall(QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("/org/freedesktop/Notifications"),
                                     QStringLiteral("org.freedesktop.Notifications"), QStringLiteral("Notify"));
  // Services may read the body as markup: a peer's "<" must stay text.
  call << QStringLiteral("Velko") << 0u << QStringLiteral("velko") << summary << body.toHtmlEscaped() << QStringList()
       << QVariantMap() << -1;
  // Never waits: the window goes on while the service answers, or never does.
  bus.asyncCall(call);
}
