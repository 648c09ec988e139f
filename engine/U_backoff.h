// Waits between reconnects, the same for every program on the engine: none
// the first time, then 1, 2, 4 ... 60 units (seconds, unless a test
// shortens them).
#pragma once

#include <algorithm>

class TReconnectBackoff {
 public:
  explicit TReconnectBackoff(int unitMs = 1000) : unitMs_(unitMs) {}
  int NextDelayMs() {
    const int attempt = attempts_;
    if (attempts_ < 8) ++attempts_;
    if (attempt == 0) return 0;
    return unitMs_ * std::min(1 << (attempt - 1), 60);
  }
  void Reset() { attempts_ = 0; }

 private:
  int unitMs_;
  int attempts_ = 0;
};
