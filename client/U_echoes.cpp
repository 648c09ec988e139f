#include "U_echoes.h"

#include <algorithm>
#include <memory>
#include <strings.h>

#include "U_analysis.h"
#include "U_commondata.h"

namespace {

bool Parsed(const std::string& wire, stIRC* record) {
  CZoAnalysis::Parse(wire.substr(0, wire.find_first_of("\r\n")).c_str(), record);
  return strcasecmp(record->command, "PRIVMSG") == 0 || strcasecmp(record->command, "NOTICE") == 0;
}

}  // namespace

bool IsRepeatedLine(const std::string& wire) {
  return strncasecmp(wire.c_str(), "PRIVMSG ", 8) == 0 || strncasecmp(wire.c_str(), "NOTICE ", 7) == 0;
}

void TPendingEchoes::Sent(const std::string& wire) {
  auto record = std::make_unique<stIRC>();  // too big for the stack of every send
  if (!Parsed(wire, record.get())) return;
  std::string text = ZoParam(*record, 1);
  std::erase(text, '\x01');  // an action or CTCP is named by its words
  lines_.push_back({ZoParam(*record, 0), std::move(text), wire});
  if (lines_.size() > kMax) lines_.pop_front();
}

std::optional<TPendingEchoes::TLine> TPendingEchoes::TakeOldest(const char* target) {
  const auto line = std::find_if(lines_.begin(), lines_.end(),
                                 [target](const TLine& line) { return ZoSameName(line.target.c_str(), target); });
  if (line == lines_.end()) return std::nullopt;
  TLine taken = std::move(*line);
  lines_.erase(line);
  return taken;
}

std::optional<std::string> TPendingEchoes::Echoed(const char* target) {
  std::optional<TLine> line = TakeOldest(target);
  return line ? std::optional(std::move(line->wire)) : std::nullopt;
}

std::optional<std::string> TPendingEchoes::Refused(const char* target) {
  std::optional<TLine> line = TakeOldest(target);
  return line ? std::optional(std::move(line->text)) : std::nullopt;
}
