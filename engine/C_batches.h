// The batches a server opens and closes around lines ("BATCH +ref type ...",
// "BATCH -ref"): which batch a line belongs to, which lines replay history,
// and what a netsplit or netjoin groups, so one line can tell of all of it.
// Open batches and what they group are bounded.
#pragma once

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
  // netsplit: each channel each leaving user was in; netjoin: each join.
  std::vector<ZoBatchEntry> entries;
  size_t dropped = 0;  // entries beyond the bound, only counted
};

class CZoBatches {
 public:
  static constexpr size_t kMaxOpen = 64;
  static constexpr size_t kMaxEntries = 10000;

  explicit CZoBatches(const CZoData* data) : data_(data) {}

  // Before the line is routed, while its user is still in its channels:
  // links it to its batch, opens a batch or marks the one it ends.
  void Enter(stIRC* record);
  // After the line was routed: the batch it ended is gone.
  void Leave(const ZoBatch* ended);
  // The connection has ended, and its batches with it.
  void Clear() { open_.clear(); }
  size_t OpenCount() const { return open_.size(); }

 private:
  ZoBatch* Find(const char* ref) const;
  void Open(stIRC* record);
  void Group(ZoBatch* batch, const stIRC& record);
  void Add(ZoBatch* batch, const char* nick, const char* channel);

  std::vector<std::unique_ptr<ZoBatch>> open_;
  const CZoData* data_;
};
