// A notification on the desktop, through the freedesktop notification
// service on the session bus. Nothing happens without a bus or a service.
#pragma once

class QString;

// `summary` and `body` are shown as plain text.
void NotifyDesktop(const QString& summary, const QString& body);
