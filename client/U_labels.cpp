#include "U_labels.h"

#include <algorithm>
#include <cstring>
#include <strings.h>

#include "C_batches.h"

namespace {

const char* LabelOf(const stIRC& record) {
  if (const char* label = ZoTag(record.tags, "label")) return label;
  for (const ZoBatch* batch = record.batch; batch; batch = batch->parent)
    if (!batch->label.empty()) return batch->label.c_str();
  return nullptr;
}

bool OpensBatch(const stIRC& record) {
  return strcasecmp(record.command, "BATCH") == 0 && ZoParam(record, 0)[0] == '+';
}

}  // namespace

bool RepliesToAsker(const std::string& wire) {
  return strncasecmp(wire.c_str(), "WHOIS ", 6) == 0 || strncasecmp(wire.c_str(), "WHOWAS ", 7) == 0;
}

std::string TAskedLabels::Ask(const TFront& asker) {
  std::string label = "v" + std::to_string(++next_);
  asked_.emplace_back(label, asker);
  if (asked_.size() > kMax) asked_.pop_front();
  return label;
}

const TFront* TAskedLabels::Asker(const stIRC& record) const {
  if (asked_.empty()) return nullptr;
  const char* label = LabelOf(record);
  if (!label) return nullptr;
  const auto found =
      std::find_if(asked_.begin(), asked_.end(), [label](const auto& asked) { return asked.first == label; });
  return found == asked_.end() ? nullptr : &found->second;
}

void TAskedLabels::Handled(const stIRC& record) {
  if (asked_.empty()) return;
  if (record.endedBatch && !record.endedBatch->label.empty()) Forget(record.endedBatch->label);
  const char* label = ZoTag(record.tags, "label");
  if (label && !OpensBatch(record)) Forget(label);
}

void TAskedLabels::Forget(const std::string& label) {
  std::erase_if(asked_, [&label](const auto& asked) { return asked.first == label; });
}
