// Connecting the console tools again after the server is lost, as the
// client does: at once, then after growing waits that start over only once
// a connection has lasted a minute after its logon. TLS refusals are final:
// the same certificate would be refused again.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>

#include "U_backoff.h"

class TZoEngine;

class Reconnector : public QObject {
 public:
  // `announce` hears each wait before it starts (0: at once).
  Reconnector(TZoEngine& engine, std::function<void(int delayMs)> announce);

  // Hand on the engine's events; a failed attempt raises no disconnect.
  void LoggedOn();
  void Disconnected();
  // False once it has given up.
  bool Failed(int code);
  // No more attempts (the program is leaving).
  void Stop();

 private:
  void Schedule();

  TZoEngine& engine_;
  std::function<void(int)> announce_;
  TReconnectBackoff backoff_;
  QTimer retry_;
  QTimer settled_;
  bool stopped_ = false;
};
