#include "U_friends.h"

#include <algorithm>

#include "U_commondata.h"
#include "U_ircline.h"

namespace {

// A nick longer than this is no nick a server knows; its blanks would split the line.
constexpr size_t kMaxNick = 64;

std::vector<std::string> Split(std::string_view list) {
  std::vector<std::string> nicks;
  while (!list.empty()) {
    const size_t comma = std::min(list.find(','), list.size());
    std::string_view nick = list.substr(0, comma);
    list.remove_prefix(std::min(comma + 1, list.size()));
    nick.remove_prefix(std::min(nick.find_first_not_of(' '), nick.size()));
    nick = nick.substr(0, nick.find_last_not_of(' ') + 1);
    if (!nick.empty() && nick.size() <= kMaxNick && nick.find_first_of(" \r\n") == std::string_view::npos)
      nicks.emplace_back(nick);
  }
  return nicks;
}

std::vector<std::string> MonitorLines(char sign, const std::vector<std::string>& nicks) {
  std::vector<std::string> lines;
  for (size_t first = 0, taken = 0; first < nicks.size(); first += taken) {
    std::string line = Irc::Monitor(sign, nicks, first, &taken);
    if (!line.empty()) lines.push_back(std::move(line));
  }
  return lines;
}

}  // namespace

bool TFriends::Has(std::string_view nick) const {
  const std::string wanted(nick);
  return std::any_of(nicks_.begin(), nicks_.end(),
                     [&](const std::string& known) { return ZoSameName(known.c_str(), wanted.c_str()); });
}

void TFriends::Set(std::string_view list) {
  nicks_.clear();
  for (std::string& nick : Split(list))
    if (!Has(nick)) nicks_.push_back(std::move(nick));
}

TFriends::TChange TFriends::Watch(int limit) const {
  const size_t kept = limit < 0 ? nicks_.size() : std::min(nicks_.size(), static_cast<size_t>(limit));
  TChange change;
  change.lines = MonitorLines('+', {nicks_.begin(), nicks_.begin() + static_cast<ptrdiff_t>(kept)});
  change.refused.assign(nicks_.begin() + static_cast<ptrdiff_t>(kept), nicks_.end());
  return change;
}

TFriends::TChange TFriends::Change(std::string_view text, int limit) {
  const char sign = text.empty() ? 0 : text[0];
  std::vector<std::string> changed;
  TChange change;
  for (std::string& nick : Split(text.substr(std::min<size_t>(1, text.size())))) {
    if (sign == '-') {
      std::erase_if(nicks_, [&](const std::string& known) { return ZoSameName(known.c_str(), nick.c_str()); });
      changed.push_back(std::move(nick));
    } else if (sign == '+' && !Has(nick)) {
      if (limit >= 0 && nicks_.size() >= static_cast<size_t>(limit)) {
        change.refused.push_back(std::move(nick));
        continue;
      }
      nicks_.push_back(nick);
      changed.push_back(std::move(nick));
    }
  }
  if (sign == '+' || sign == '-') change.lines = MonitorLines(sign, changed);
  return change;
}
