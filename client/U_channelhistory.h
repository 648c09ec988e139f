// The history a server keeps of channels, as the client uses it: what to ask
// for on joining (the last lines, or after a reconnect what was missed since
// the last line seen), which replayed lines a window already shows, and the
// live lines held back while a channel's history is on its way, so the
// history comes first. What it holds is bounded.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <unordered_map>
#include <vector>

#include "U_analysis.h"
#include "U_nameindex.h"
#include "U_render.h"

class TChannelHistory {
 public:
  static constexpr size_t kMaxHeld = 500;
  // No request asks for more, whatever the setting says.
  static constexpr int kMaxAsked = 1000;

  // A line of the channel was shown: a later request starts after it.
  void Seen(const char* channel, const stIRC& record);
  // The request for a channel just joined; empty when none is wanted (`lines`
  // 0, or `serverLimit` 0: the server keeps none). Until the history comes,
  // the channel's live lines wait.
  std::string Request(const char* channel, int lines, int serverLimit, bool byMsgid);
  // A replayed line older than what the channel's window already shows.
  bool Shown(const char* channel, const stIRC& record) const;
  // The lines to show now for a line written: none while its channel's
  // history is on its way; those that waited, and it, when too many wait.
  std::vector<TOutLine> Pass(TOutLine line);
  // The channel's history has come, or will not: the lines that waited, in order.
  std::vector<TOutLine> Release(const char* channel);
  std::vector<TOutLine> ReleaseAll();
  // The channel was left: it starts afresh when joined again.
  std::vector<TOutLine> Forget(const char* channel);
  bool Waiting() const { return !held_.empty(); }

 private:
  struct TReference {
    std::string msgid;
    int64_t time = 0;  // UTC ms
    bool serverTime = false;
  };
  // A channel whose history is on its way: its live lines, and the last
  // line seen when it was asked for, which the replay is weighed against.
  struct TWaiting {
    std::vector<TOutLine> lines;
    std::optional<TReference> since;
  };
  template <class T>
  using TByName = std::unordered_map<std::string, T, ZoFoldHash, ZoFoldEqual>;

  TByName<TReference> seen_;
  TByName<TWaiting> held_;
};

// "2026-12-07T20:41:05.123Z" for UTC ms, as history references write times.
std::string ZoTimeText(int64_t ms);
