#include "C_batches.h"

#include <algorithm>
#include <cstring>
#include <strings.h>

#include "U_data.h"

namespace {

bool IsHistory(const std::string& type) { return type == "chathistory" || type == "draft/chathistory"; }

}  // namespace

ZoBatch* CZoBatches::Find(const char* ref) const {
  if (!ref || !*ref) return nullptr;
  for (const auto& batch : open_)
    if (batch->ref == ref) return batch.get();
  return nullptr;
}

void CZoBatches::Enter(stIRC* r, int64_t arrival) {
  ZoBatch* batch = Find(ZoTag(r->tags, "batch"));
  r->batch = batch;
  r->history = batch && batch->history;
  if (strcasecmp(r->command, "BATCH") == 0) {
    const char* ref = ZoParam(*r, 0);
    if (ref[0] == '+') Open(r, arrival);
    if (ref[0] == '-') r->endedBatch = Find(ref + 1);
    return;
  }
  if (batch) Group(batch, *r);
}

// A reference already open, or one past the bound, opens nothing: its lines
// then count as outside any batch.
void CZoBatches::Open(stIRC* r, int64_t arrival) {
  const char* ref = ZoParam(*r, 0) + 1;
  if (!*ref || Find(ref) || open_.size() >= kMaxOpen) return;
  auto batch = std::make_unique<ZoBatch>();
  batch->ref = ref;
  batch->type = ZoParam(*r, 1);
  for (size_t i = 2; i < r->paramCount; ++i) batch->params.emplace_back(ZoParam(*r, i));
  batch->parent = r->batch;
  batch->history = IsHistory(batch->type) || r->history;
  if (const char* label = ZoTag(r->tags, "label")) batch->label = label;
  batch->opened = r->time;
  batch->arrived = arrival;
  open_.push_back(std::move(batch));
}

std::vector<std::string> CZoBatches::Stale(int64_t time, int64_t arrival) const {
  std::vector<std::string> stale;
  for (const auto& batch : open_)
    if ((batch->type == "netsplit" || batch->type == "netjoin") &&
        (time - batch->opened >= kStaleMs || arrival - batch->arrived >= kStaleMs))
      stale.push_back(batch->ref);
  return stale;
}

void CZoBatches::Group(ZoBatch* batch, const stIRC& r) {
  if (batch->type == "netsplit" && strcasecmp(r.command, "QUIT") == 0) {
    const CZoUser* user = data_->FindUser(r.nick);
    if (!user) return;
    for (const CZoChannel* channel : user->Channels()) Add(batch, r.nick, channel->Name());
  } else if (batch->type == "netjoin" && strcasecmp(r.command, "JOIN") == 0) {
    Add(batch, r.nick, ZoParam(r, 0));
  }
}

void CZoBatches::Add(ZoBatch* batch, const char* nick, const char* channel) {
  if (batch->entries.size() >= kMaxEntries) {
    ++batch->dropped;
    return;
  }
  batch->entries.push_back({nick, channel});
}

// Batches still open inside the one that ends outlive it: they hang on its parent.
void CZoBatches::Leave(const ZoBatch* ended) {
  if (!ended) return;
  for (const auto& batch : open_)
    if (batch->parent == ended) batch->parent = ended->parent;
  std::erase_if(open_, [ended](const auto& batch) { return batch.get() == ended; });
}
