// The connection's life as the client runs it, apart from any window:
// registering once connected, the page's channels (or else the channel list)
// at logon, reconnecting after a loss with a growing wait, and staying away
// once the user has quit. What it has to say goes to the window's writers,
// among it every typed line that found no connection to go out on.
#pragma once

#include <QObject>
#include <QTimer>
#include <functional>
#include <string>
#include <vector>

#include "U_backoff.h"

class TPacedSender;
struct TOutLine;
class TZoEngine;

// How long the session waits; tests shorten them.
struct TSessionTimings {
  int backoffUnitMs = 1000;
  // A connection that stays this long after its logon has proven the server
  // sound: the next loss is answered at once again. One that drops sooner
  // keeps the waits growing, so a server that welcomes and closes is not
  // hammered.
  int settledMs = 60000;
  // After the user's QUIT, the server is given this long to close.
  int quitGraceMs = 10000;
};

class TSession : public QObject {
  Q_OBJECT

 public:
  // Posted to itself: connect again once the running handler has returned.
  static constexpr int kReconnectEvent = 2345;

  // Where the session's lines go, and the open channel windows asked to
  // join again.
  struct TWindow {
    std::function<void(const TOutLine& line)> write;
    std::function<void()> rejoin;
  };

  // Lines go out through `engine`, joins paced through `sender`.
  TSession(TZoEngine& engine, TPacedSender& sender, TWindow window, QObject* parent = nullptr);
  void SetTimings(const TSessionTimings& timings);

  void SetAutoJoinChannels(const char* list);
  // "host[:port]" or an ircs:// address; an empty text keeps the last one.
  void ConnectTo(const char* server);
  // The user left the server on purpose: no reconnect until the next ConnectTo.
  // An attempt under way ends now; a server that does not close after the
  // QUIT is left after a grace time.
  void UserQuit();
  // The page's channels not yet joined.
  const std::vector<std::string>& AutoJoin() const { return autoJoin_; }

  // The engine's lifecycle events, handed on by the window.
  void Connected(const std::string& userName, const std::string& nick);
  void LoggedOn();
  void Disconnected();
  // The user asked to leave the server.
  bool UserQuitting() const { return userQuit_; }
  // A socket error; sets the code to 0 once it is handled.
  void Failed(int* code);

 protected:
  bool event(QEvent* event) override;

 private:
  // The next line of the page's channels once the one before went out, so
  // typed lines are never stuck behind a long list.
  void JoinNextAutoJoin();
  void ScheduleReconnect();

  TZoEngine& engine_;
  TPacedSender& sender_;
  TWindow window_;
  TSessionTimings timings_;
  QTimer retry_;
  QTimer settled_;
  QTimer quitGrace_;
  TReconnectBackoff backoff_;
  std::vector<std::string> autoJoin_;
  size_t autoJoinSent_ = 0;  // entries of autoJoin_ already on the wire
  bool autoJoining_ = false;
  bool listRequested_ = false;
  bool reconnectPending_ = false;
  bool userQuit_ = false;
};
