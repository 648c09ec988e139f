#include "U_input.h"

#include <algorithm>
#include <string>

#include "U_commands.h"
#include "U_ircline.h"

namespace {

constexpr std::string_view kCrLf = "\r\n";

std::string_view FirstLine(std::string_view text) {
  return text.substr(0, text.find_first_of(std::string_view("\r\n\0", 3)));
}

}  // namespace

TLineAction PlainText(std::string_view text, const TFront& front, const std::string& ownNick) {
  TLineAction action;
  const bool named = front.kind == TFrontKind::Channel || front.kind == TFrontKind::Query;
  if (text.empty() || (!named && front.kind != TFrontKind::Chat)) return action;
  const std::string& target = front.name;
  const std::string shown(named ? Irc::PrivmsgText(target, text) : Irc::Fitting(text, kCrLf.size()));
  if (named) {
    action.kind = TLineAction::Kind::Server;
    action.text = Irc::Privmsg(target, shown);
    const TOutTarget where = front.kind == TFrontKind::Channel ? TOutTarget::Channel : TOutTarget::Query;
    action.echo = RenderOwnMessage(where, target, ownNick, shown);
  } else {
    action.kind = TLineAction::Kind::Chat;
    action.text = shown + std::string(kCrLf);
    action.chatId = front.chatId;
    action.echo = RenderOwnMessage(TOutTarget::Chat, std::string(), ownNick, shown, front.chatId);
  }
  return action;
}

TLineAction ProcessLine(std::string_view line, const TInputContext& context) {
  line = FirstLine(line);
  if (line.empty() || line[0] != '/') return PlainText(line, context.front, context.ownNick);
  return CommandLine(line, context);
}

std::vector<std::string_view> PastedLines(std::string_view clipboard) {
  std::vector<std::string_view> lines;
  while (!clipboard.empty()) {
    const std::string_view line = FirstLine(clipboard);
    if (!line.empty()) lines.push_back(line);
    clipboard.remove_prefix(std::min(line.size() + 1, clipboard.size()));
  }
  return lines;
}

std::vector<TLineAction> PasteEach(const std::vector<std::string_view>& lines, const TFront& front,
                                   const std::string& ownNick) {
  std::vector<TLineAction> actions;
  for (const std::string_view line : lines) {
    TLineAction action = PlainText(line, front, ownNick);
    if (action.kind != TLineAction::Kind::None) actions.push_back(std::move(action));
  }
  return actions;
}

TLineAction PasteJoined(const std::vector<std::string_view>& lines, const TFront& front, const std::string& ownNick) {
  std::string joined;
  for (const std::string_view line : lines) {
    if (!joined.empty()) joined.push_back(' ');
    joined.append(line);
  }
  return PlainText(joined, front, ownNick);
}

void THistory::Add(std::string line) {
  lines_.push_back(std::move(line));
  if (static_cast<int>(lines_.size()) > kMax) lines_.pop_front();
  index_ = Count();
}

std::optional<std::string> THistory::Up() {
  if (index_ <= 0) return std::nullopt;
  return lines_[static_cast<size_t>(--index_)];
}

std::string THistory::Down() {
  if (index_ < Count() - 1) return lines_[static_cast<size_t>(++index_)];
  index_ = Count();
  return std::string();
}

void THistory::Clear() {
  lines_.clear();
  index_ = 0;
}
