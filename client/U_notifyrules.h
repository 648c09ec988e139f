// When a line earns a desktop notification: it names the user or came in
// private, notifications are on, the host window is not the active one, and
// its window has raised none in the last ten seconds, so a flood makes one.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <unordered_map>

#include "U_nameindex.h"

class TNotifyRules {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr std::chrono::seconds kQuietTime{10};
  // Windows remembered before the quiet ones are forgotten.
  static constexpr size_t kRemembered = 256;

  explicit TNotifyRules(std::function<Clock::time_point()> now = Clock::now) : now_(std::move(now)) {}
  void SetClock(std::function<Clock::time_point()> now) { now_ = std::move(now); }

  struct TLine {
    const char* window;  // the channel, or the peer of a private line
    bool addressed;      // names the user, or came in private
    bool enabled;        // the user's setting
    bool hostActive;     // the user is looking at the window already
  };
  // True when this line raises a notification; it then counts as raised.
  bool Due(const TLine& line);

 private:
  void ForgetQuiet(Clock::time_point now);

  std::function<Clock::time_point()> now_;
  std::unordered_map<std::string, Clock::time_point, ZoFoldHash, ZoFoldEqual> raised_;  // by window name
};
