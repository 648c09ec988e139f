#include "reply_queue.h"

ReplyQueue::ReplyQueue(Sender send, int intervalMs, size_t capacity) : send_(std::move(send)), capacity_(capacity) {
  timer_.setInterval(intervalMs);
  connect(&timer_, &QTimer::timeout, this, &ReplyQueue::SendNext);
}

bool ReplyQueue::Push(std::string line) {
  if (lines_.size() >= capacity_) return false;
  lines_.push_back(std::move(line));
  // An idle timer means the last line went out at least one interval ago.
  if (!timer_.isActive()) SendNext();
  return true;
}

void ReplyQueue::Clear() {
  lines_.clear();
  timer_.stop();
}

void ReplyQueue::SendNext() {
  if (lines_.empty()) {
    timer_.stop();
    return;
  }
  const std::string line = std::move(lines_.front());
  lines_.pop_front();
  timer_.start();
  send_(line);
}
