#include "U_input.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "U_codepage.h"
#include "U_ircline.h"
#include "U_lib.h"

namespace {

constexpr std::string_view kCrLf = "\r\n";

std::string_view FirstLine(std::string_view text) {
  return text.substr(0, text.find_first_of(std::string_view("\r\n\0", 3)));
}

bool StartsWithWord(std::string_view text, std::string_view word) {
  if (text.size() < word.size()) return false;
  for (size_t i = 0; i < word.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(text[i])) != word[i]) return false;
  return true;
}

TOutLine Echo(TOutTarget where, const std::string& name, int chat, int kind, std::string text) {
  return TOutLine{where, name, kind, std::move(text), chat};
}

TLineAction Action(std::string_view line, const TInputContext& context) {
  const std::string& target = context.front.name;
  const std::string shown(Irc::ActionText(target, line.substr(line.find(' ') + 1)));
  TLineAction action;
  action.kind = TLineAction::Kind::Server;
  action.text = Irc::Action(target, shown);
  action.echo = Echo(TOutTarget::Channel, target, -1, kKindAction,
                     ComposeLine("* %s %s", {context.ownNick.c_str(), shown.c_str()}));
  return action;
}

// "JOIN <name>" of a channel whose window is open names that channel.
std::optional<std::string> OpenChannelJoined(std::string_view command, const TInputContext& context) {
  if (!StartsWithWord(command, "JOIN ")) return std::nullopt;
  const std::string_view name = command.substr(5);
  if (!context.isChannelOpen || !context.isChannelOpen(name)) return std::nullopt;
  return std::string(name);
}

// "PRIVMSG <target> :<text>" typed as a command is shown where the user will
// look for it: in the target's window when one is open, else in the front
// window with the target named.
std::optional<TOutLine> MessageEcho(std::string_view command, const TInputContext& context) {
  if (!StartsWithWord(command, "PRIVMSG ")) return std::nullopt;
  const std::string_view rest = command.substr(8);
  const size_t colon = rest.find(" :");
  if (colon == std::string_view::npos || colon == 0) return std::nullopt;
  const std::string target(rest.substr(0, colon));
  const std::string text(rest.substr(colon + 2));
  const bool channel = IsChannelName(target.c_str());
  const auto& isOpen = channel ? context.isChannelOpen : context.isQueryOpen;
  if (isOpen && isOpen(target))
    return Echo(channel ? TOutTarget::Channel : TOutTarget::Query, target, -1, kKindOwnMessage,
                ComposeLine("<%s> %s", {context.ownNick.c_str(), text.c_str()}));
  return Echo(TOutTarget::Active, "", -1, kKindOwnMessage, ComposeLine("-> *%s* %s", {target.c_str(), text.c_str()}));
}

// "/query <nick> [text]" opens the private window rather than sending.
std::optional<TLineAction> QueryCommand(std::string_view line) {
  const std::string_view command = line.substr(1);
  if (!StartsWithWord(command, "QUERY ")) return std::nullopt;
  std::string_view rest = command.substr(6);
  rest.remove_prefix(std::min(rest.find_first_not_of(' '), rest.size()));
  const size_t blank = rest.find(' ');
  TLineAction action;
  action.text = std::string(rest.substr(0, blank));
  if (action.text.empty() || IsChannelName(action.text.c_str())) return std::nullopt;
  action.kind = TLineAction::Kind::OpenQuery;
  if (blank != std::string_view::npos) action.said = std::string(rest.substr(blank + 1));
  return action;
}

TLineAction Command(std::string_view line, const TInputContext& context) {
  const std::string expanded =
      context.aliases ? context.aliases->Expand(std::string(line).c_str()) : std::string(line.substr(1));
  const std::string_view command = Irc::Fitting(expanded, kCrLf.size());
  TLineAction action;
  if (command.empty()) return action;
  if (auto channel = OpenChannelJoined(command, context)) {
    action.kind = TLineAction::Kind::Activate;
    action.text = std::move(*channel);
    return action;
  }
  action.kind = TLineAction::Kind::Server;
  action.text = Irc::Raw(command);
  action.echo = MessageEcho(command, context);
  return action;
}

// "/server [host[:port]]": the user connecting again, handled here since the
// server the line would go to is gone.
std::optional<TLineAction> ServerCommand(std::string_view line) {
  const std::string_view command = line.substr(1);
  if (!StartsWithWord(command, "SERVER") || (command.size() > 6 && command[6] != ' ')) return std::nullopt;
  std::string_view address = command.substr(std::min<size_t>(command.size(), 7));
  address = address.substr(0, address.find(' '));
  TLineAction action;
  action.kind = TLineAction::Kind::Connect;
  action.text = std::string(address);
  return action;
}

bool IsAction(std::string_view line) {
  const std::string_view command = line.substr(1);
  return StartsWithWord(command, "ME ") || StartsWithWord(command, "ACTION ");
}

}  // namespace

TLineAction PlainText(std::string_view text, const TFront& front, const std::string& ownNick) {
  TLineAction action;
  const bool named = front.kind == TFrontKind::Channel || front.kind == TFrontKind::Query;
  if (text.empty() || (!named && front.kind != TFrontKind::Chat)) return action;
  const std::string& target = front.name;
  const std::string shown(named ? Irc::PrivmsgText(target, text) : Irc::Fitting(text, kCrLf.size()));
  const std::string echo = ComposeLine("<%s> %s", {ownNick.c_str(), shown.c_str()});
  if (named) {
    action.kind = TLineAction::Kind::Server;
    action.text = Irc::Privmsg(target, shown);
    const TOutTarget where = front.kind == TFrontKind::Channel ? TOutTarget::Channel : TOutTarget::Query;
    action.echo = Echo(where, target, -1, kKindOwnMessage, echo);
  } else {
    action.kind = TLineAction::Kind::Chat;
    action.text = shown + std::string(kCrLf);
    action.chatId = front.chatId;
    action.echo = Echo(TOutTarget::Chat, std::string(), front.chatId, kKindOwnMessage, echo);
  }
  return action;
}

TLineAction ProcessLine(std::string_view line, const TInputContext& context) {
  line = FirstLine(line);
  if (line.empty() || line[0] != '/') return PlainText(line, context.front, context.ownNick);
  const bool named = context.front.kind == TFrontKind::Channel || context.front.kind == TFrontKind::Query;
  if (named && !context.front.name.empty() && IsAction(line)) return Action(line, context);
  if (auto connect = ServerCommand(line)) return *connect;
  if (auto query = QueryCommand(line)) return *query;
  return Command(line, context);
}

std::optional<std::vector<TLineAction>> PasteLines(std::string_view clipboard, const TFront& front,
                                                   const std::string& ownNick) {
  std::vector<std::string_view> lines;
  while (!clipboard.empty()) {
    const size_t end = clipboard.find_first_of("\r\n");
    lines.push_back(clipboard.substr(0, end));
    if (end == std::string_view::npos) break;
    const size_t next = clipboard.compare(end, 2, kCrLf) == 0 ? end + 2 : end + 1;
    clipboard.remove_prefix(next);
  }
  if (lines.size() < 2) return std::nullopt;
  std::vector<TLineAction> actions;
  // A long line is cut to fit like a typed one, never dropped unseen.
  for (const std::string_view line : lines) {
    TLineAction action = PlainText(FirstLine(line), front, ownNick);
    if (action.kind != TLineAction::Kind::None) actions.push_back(std::move(action));
  }
  return actions;
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
