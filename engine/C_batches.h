// The batches a server opens and closes around lines ("BATCH +ref type ...",
// "BATCH -ref"): which batch a line belongs to, which lines replay history,
// and what a netsplit or netjoin groups, so one line can tell of all of it.
// Open batches and what they group are bounded, and a netsplit or netjoin
// the server never ends is ended for it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "U_analysis.h"

class CZoData;

struct ZoBatchEntry {
  std::string nick;
  std::string channel;
};

struct ZoBatch {
  std::string ref;
  std::string type;  // "netsplit", "netjoin", "chathistory", ...
  std::vector<std::string> params;  // after the type: the two servers of a split
  const ZoBatch* parent = nullptr;
  bool history = false;  // this batch or one around it replays history
  std::string label;     // labeled-response: the label of the command it answers
  int64_t opened = 0;    // the opening line's time, and its arrival (UTC ms)
  int64_t arrived = 0;
  // netsplit: each channel each leaving user was in; netjoin: each join.
  std::vector<ZoBatchEntry> entries;
  size_t dropped = 0;  // entries beyond the bound, only counted
};

class CZoBatches {
 public:
  static constexpr size_t kMaxOpen = 64;
  static constexpr size_t kMaxEntries = 10000;
  // A netsplit or netjoin still open this long after it began is over.
  static constexpr int64_t kStaleMs = 5000;

  explicit CZoBatches(const CZoData* data) : data_(data) {}

  // Before the line is routed, while its user is still in its channels:
  // links it to its batch, opens a batch or marks the one it ends.
  // `arrival`: when the line came, whatever time it says it is from.
  void Enter(stIRC* record, int64_t arrival);
  // The netsplits and netjoins that began kStaleMs or more before a line of
  // that time, by the server's clock or by ours.
  std::vector<std::string> Stale(int64_t time, int64_t arrival) const;
  // After the line was routed: the batch it ended is gone.
  void Leave(const ZoBatch* ended);
  // The connection has ended, and its batches with it.
  void Clear() { open_.clear(); }
  size_t OpenCount() const { return open_.size(); }

 private:
  ZoBatch* Find(const char* ref) const;
  void Open(stIRC* record, int64_t arrival);
  void Group(ZoBatch* batch, const stIRC& record);
  void Add(ZoBatch* batch, const char* nick, const char* channel);

  std::vector<std::unique_ptr<ZoBatch>> open_;
  const CZoData* data_;
};
