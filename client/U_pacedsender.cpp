#include "U_pacedsender.h"

#include <algorithm>

TPacedSender::TPacedSender(SendFn send, QObject* parent) : TPacedSender(std::move(send), TPacing{}, parent) {}

TPacedSender::TPacedSender(SendFn send, TPacing pacing, QObject* parent)
    : QObject(parent), send_(std::move(send)), pacing_(pacing) {
  pacing_.burst = std::max(1, pacing_.burst);
  pacing_.intervalMs = std::max(1, pacing_.intervalMs);
  credit_ = pacing_.burst;
  timer_.setSingleShot(true);
  connect(&timer_, &QTimer::timeout, this, &TPacedSender::Drain);
  clock_.start();
}

void TPacedSender::Enqueue(std::string line, std::function<void()> onSent) {
  queue_.push_back(TItem{std::move(line), std::move(onSent)});
  if (!timer_.isActive()) Drain();
}

void TPacedSender::Clear() {
  queue_.clear();
  timer_.stop();
}

// One credit comes back per interval, up to the burst.
void TPacedSender::Refill() {
  const qint64 now = clock_.elapsed();
  const int earned = static_cast<int>((now - refilledAt_) / pacing_.intervalMs);
  if (earned <= 0) return;
  credit_ = std::min(pacing_.burst, credit_ + earned);
  refilledAt_ = credit_ == pacing_.burst ? now : refilledAt_ + qint64(earned) * pacing_.intervalMs;
}

void TPacedSender::Drain() {
  Refill();
  while (!queue_.empty() && credit_ > 0) {
    if (credit_ == pacing_.burst) refilledAt_ = clock_.elapsed();
    --credit_;
    TItem item = std::move(queue_.front());
    queue_.pop_front();
    if (send_ && send_(item.line)) {
      if (item.onSent) item.onSent();
    } else if (OnUnsent) {
      OnUnsent();
    }
  }
  if (queue_.empty()) return;
  const qint64 due = refilledAt_ + pacing_.intervalMs - clock_.elapsed();
  timer_.start(static_cast<int>(std::max<qint64>(1, due)));
}
