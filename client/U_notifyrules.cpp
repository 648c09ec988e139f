#include "U_notifyrules.h"

bool TNotifyRules::Due(const TLine& line) {
  if (!line.addressed || !line.enabled || line.hostActive || !line.window) return false;
  const Clock::time_point now = now_();
  const auto found = raised_.find(line.window);
  if (found != raised_.end()) {
    if (now - found->second < kQuietTime) return false;
    found->second = now;
    return true;
  }
  // Ever new nicks in a flood: beyond the bound, the ones still quiet stay
  // remembered and the newcomers raise nothing.
  if (raised_.size() >= kRemembered) ForgetQuiet(now);
  if (raised_.size() >= kRemembered) return false;
  raised_.emplace(line.window, now);
  return true;
}

void TNotifyRules::ForgetQuiet(Clock::time_point now) {
  std::erase_if(raised_, [&](const auto& entry) { return now - entry.second >= kQuietTime; });
}
