#include "U_channelhistory.h"

#include <algorithm>
#include <cstdio>
#include <ctime>

#include "U_ircline.h"

namespace {

// A msgid goes into a request only as one word.
bool UsableMsgid(const std::string& msgid) {
  return !msgid.empty() && msgid.size() <= 128 && msgid.find_first_of(" \r\n") == std::string::npos;
}

std::string ReferenceText(const std::string& msgid, int64_t time, bool byMsgid) {
  return byMsgid && UsableMsgid(msgid) ? "msgid=" + msgid : "timestamp=" + ZoTimeText(time);
}

}  // namespace

std::string ZoTimeText(int64_t ms) {
  const time_t seconds = static_cast<time_t>(std::max<int64_t>(ms, 0) / 1000);
  struct tm utc {};
  if (!gmtime_r(&seconds, &utc)) return {};
  char text[96];
  snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:%02d:%02d.%03dZ", utc.tm_year + 1900, utc.tm_mon + 1, utc.tm_mday,
           utc.tm_hour, utc.tm_min, utc.tm_sec, static_cast<int>(std::max<int64_t>(ms, 0) % 1000));
  return text;
}

// Replayed lines come after live ones at times: the reference only moves on.
void TChannelHistory::Seen(const char* channel, const stIRC& record) {
  const bool serverTime = ZoTag(record.tags, "time") != nullptr;
  TReference& reference = seen_[channel];
  if (serverTime && reference.serverTime && record.time < reference.time) return;
  const char* msgid = ZoTag(record.tags, "msgid");
  reference.msgid = msgid ? msgid : "";
  reference.time = record.time;
  reference.serverTime = serverTime;
}

std::string TChannelHistory::Request(const char* channel, int lines, int serverLimit, bool byMsgid) {
  if (lines <= 0 || serverLimit == 0) return {};
  const int count = std::min(serverLimit > 0 ? std::min(lines, serverLimit) : lines, kMaxAsked);
  TWaiting& waiting = held_[channel];
  const auto reference = seen_.find(channel);
  if (reference == seen_.end()) return Irc::ChatHistoryLatest(channel, "", count);
  waiting.since = reference->second;
  const TReference& after = reference->second;
  return Irc::ChatHistoryAfter(channel, ReferenceText(after.msgid, after.time, byMsgid), count);
}

bool TChannelHistory::Shown(const char* channel, const stIRC& record) const {
  const TReference* last = nullptr;
  if (const auto waiting = held_.find(channel); waiting != held_.end()) {
    if (waiting->second.since) last = &*waiting->second.since;
  } else if (const auto seen = seen_.find(channel); seen != seen_.end()) {
    last = &seen->second;
  }
  if (!last || !last->serverTime || !ZoTag(record.tags, "time")) return false;
  const char* msgid = ZoTag(record.tags, "msgid");
  if (msgid && !last->msgid.empty() && last->msgid == msgid) return true;
  return record.time < last->time;
}

std::vector<TOutLine> TChannelHistory::Pass(TOutLine line) {
  const auto waiting = line.kind == kKindHistory || line.where != TOutTarget::Channel ? held_.end() : held_.find(line.name);
  if (waiting == held_.end()) return {std::move(line)};
  std::vector<TOutLine>& lines = waiting->second.lines;
  lines.push_back(std::move(line));
  if (lines.size() <= kMaxHeld) return {};
  std::vector<TOutLine> shown = std::move(lines);
  held_.erase(waiting);
  return shown;
}

std::vector<TOutLine> TChannelHistory::Release(const char* channel) {
  const auto waiting = held_.find(channel);
  if (waiting == held_.end()) return {};
  std::vector<TOutLine> lines = std::move(waiting->second.lines);
  held_.erase(waiting);
  return lines;
}

std::vector<TOutLine> TChannelHistory::ReleaseAll() {
  std::vector<TOutLine> lines;
  for (auto& [channel, waiting] : held_) std::move(waiting.lines.begin(), waiting.lines.end(), std::back_inserter(lines));
  held_.clear();
  return lines;
}

std::vector<TOutLine> TChannelHistory::Forget(const char* channel) {
  seen_.erase(channel);
  return Release(channel);
}
