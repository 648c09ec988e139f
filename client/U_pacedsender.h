// Sends the user's lines to the server in order, no faster than servers'
// flood control allows: a short burst, then one line per interval. A long
// paste thus never gets the user thrown off the server.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>

class TPacedSender : public QObject {
  Q_OBJECT

 public:
  // Burst of 5, then one line per 2 s: the allowance common servers grant,
  // well inside what ngircd processes (3 at once, then about 3 per second).
  struct TPacing {
    int burst = 5;
    int intervalMs = 2000;
  };
  // True when the line was handed to a live connection.
  using SendFn = std::function<bool(const std::string& line)>;

  explicit TPacedSender(SendFn send, QObject* parent = nullptr);
  TPacedSender(SendFn send, TPacing pacing, QObject* parent = nullptr);

  // Queues one line; `onSent` runs right after it went out, OnUnsent instead
  // when there was no connection to take it.
  void Enqueue(std::string line, std::function<void()> onSent = {});
  int Pending() const { return static_cast<int>(queue_.size()); }
  // Forgets unsent lines, e.g. when the connection is lost.
  void Clear();

  std::function<void()> OnUnsent;

 private:
  struct TItem {
    std::string line;
    std::function<void()> onSent;
  };

  void Refill();
  void Drain();

  SendFn send_;
  TPacing pacing_;
  std::deque<TItem> queue_;
  QTimer timer_;
  QElapsedTimer clock_;
  int credit_ = 0;
  qint64 refilledAt_ = 0;
};
