// Deadlines on the server connection: it must be made (TLS included) and
// registered in time; once logged on, a link that falls silent is asked with
// a PING, and given up when nothing at all comes back.
#pragma once

#include <QElapsedTimer>
#include <QTimer>
#include <functional>

struct ZoDeadlines {
  int connectMs = 30000;   // from the attempt to the connection made
  int registerMs = 60000;  // from the connection to the welcome
  int silenceMs = 90000;   // no line for this long: a PING
  int answerMs = 60000;    // still nothing this long after the PING: lost
};

class CZoLinkWatch {
 public:
  // Ping: ask the server for a sign of life; the others are overdue stages.
  enum class Late { Connect, Register, Ping, Lost };

  explicit CZoLinkWatch(std::function<void(Late)> onLate);

  void SetDeadlines(const ZoDeadlines& deadlines) { deadlines_ = deadlines; }
  void Connecting();
  void Registering();
  void LoggedOn();
  // A line came from the server.
  void Heard();
  void Stop();

 private:
  enum class Stage { Off, Connecting, Registering, Listening, Probing };

  void Arm(Stage stage, int ms);
  void Expired();

  std::function<void(Late)> onLate_;
  ZoDeadlines deadlines_;
  Stage stage_ = Stage::Off;
  QTimer timer_;
  QElapsedTimer heard_;
};
