// Lines waiting to be said, let out at most one per interval so a busy
// channel never makes the bot flood the server. The queue is bounded: what a
// flood of requests would add beyond it is dropped.
#pragma once

#include <QObject>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>

class ReplyQueue : public QObject {
  Q_OBJECT

 public:
  using Sender = std::function<void(const std::string& line)>;
  explicit ReplyQueue(Sender send, int intervalMs = 1000, size_t capacity = 32);

  // False when the queue is full and the line was dropped.
  bool Push(std::string line);
  void Clear();

 private:
  void SendNext();

  Sender send_;
  size_t capacity_;
  std::deque<std::string> lines_;
  QTimer timer_;
};
