#include "U_commands.h"

#include <algorithm>
#include <cctype>
#include <string>

#include "U_ircline.h"
#include "U_lib.h"
#include "U_serveraddress.h"

namespace {

// A command's arguments, taken word by word from the front; what is left is
// the free text.
class TArgs {
 public:
  explicit TArgs(std::string_view text) : text_(text) { Trim(); }

  std::string_view Word() {
    const std::string_view word = Peek();
    text_.remove_prefix(word.size());
    Trim();
    return word;
  }
  std::string_view Peek() const { return text_.substr(0, text_.find(' ')); }
  std::string_view Rest() const { return text_; }
  bool Empty() const { return text_.empty(); }

 private:
  void Trim() { text_.remove_prefix(std::min(text_.find_first_not_of(' '), text_.size())); }

  std::string_view text_;
};

// A row's answer: nothing when the line is not the row's after all (the alias
// table gets it); an action of kind None when arguments are missing.
using TRun = std::optional<TLineAction> (*)(TArgs args, const TInputContext& context);

struct TCommand {
  std::string_view word;  // matched without regard to letter case
  const char* usage;      // UTF-8, as typed
  const char* help;       // UTF-8; null: left out of /help
  TRun run;
};

bool SameWord(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::toupper(static_cast<unsigned char>(x)) == std::toupper(static_cast<unsigned char>(y));
         });
}

bool IsChannel(std::string_view word) { return !word.empty() && (word[0] == '#' || word[0] == '&'); }

TLineAction Send(std::string line, std::optional<TOutLine> echo = std::nullopt) {
  TLineAction action;
  action.kind = TLineAction::Kind::Server;
  action.text = std::move(line);
  action.echo = std::move(echo);
  return action;
}

TLineAction Show(std::vector<TOutLine> lines) {
  TLineAction action;
  action.kind = TLineAction::Kind::Show;
  action.shown = std::move(lines);
  return action;
}

TLineAction Missing() { return TLineAction{}; }

std::string FrontChannel(const TInputContext& context) {
  return context.front.kind == TFrontKind::Channel ? context.front.name : std::string();
}

// A channel written as the first word, else the front window's channel.
std::string ChannelOrFront(TArgs& args, const TInputContext& context) {
  return IsChannel(args.Peek()) ? std::string(args.Word()) : FrontChannel(context);
}

std::optional<TLineAction> Me(TArgs args, const TInputContext& context) {
  const TFront& front = context.front;
  const bool named = front.kind == TFrontKind::Channel || front.kind == TFrontKind::Query;
  // In a direct chat or without a window it is no action: the alias table has it.
  if (!named || front.name.empty()) return std::nullopt;
  if (args.Empty()) return Missing();
  const std::string text(Irc::ActionText(front.name, args.Rest()));
  return Send(Irc::Action(front.name, text), RenderAction(front.name, text, context.ownNick, true));
}

// The private window comes to the front rather than a line going out.
std::optional<TLineAction> Query(TArgs args, const TInputContext&) {
  const std::string_view nick = args.Word();
  if (nick.empty()) return Missing();
  if (IsChannel(nick)) return std::nullopt;
  TLineAction action;
  action.kind = TLineAction::Kind::OpenQuery;
  action.text = std::string(nick);
  action.said = std::string(args.Rest());
  return action;
}

TOutLine MessageEcho(const std::string& target, const std::string& text, const TInputContext& context) {
  const auto& isOpen = IsChannel(target) ? context.isChannelOpen : context.isQueryOpen;
  return RenderOwnLine(target, text, context.ownNick, isOpen && isOpen(target));
}

std::optional<TLineAction> Msg(TArgs args, const TInputContext& context) {
  const std::string target(args.Word());
  if (args.Empty()) return Missing();
  const std::string text(Irc::PrivmsgText(target, args.Rest()));
  return Send(Irc::Privmsg(target, text), MessageEcho(target, text, context));
}

std::optional<TLineAction> Notice(TArgs args, const TInputContext&) {
  const std::string target(args.Word());
  if (args.Empty()) return Missing();
  const std::string text(Irc::PrivmsgText(target, args.Rest()));
  return Send(Irc::Notice(target, text), RenderOwnNotice(target, text));
}

std::optional<TLineAction> Ctcp(TArgs args, const TInputContext&) {
  const std::string target(args.Word());
  std::string body(args.Word());
  if (body.empty()) return Missing();
  std::transform(body.begin(), body.end(), body.begin(), [](unsigned char c) { return std::toupper(c); });
  if (!args.Empty()) body += " " + std::string(args.Rest());
  return Send(Irc::Ctcp(target, body), RenderOwnCtcp(target, body));
}

std::optional<TLineAction> Join(TArgs args, const TInputContext&) {
  const std::string_view channel = args.Word();
  if (channel.empty()) return Missing();
  return Send(Irc::Join(ChannelArgument(channel), args.Word()));
}

// Without a channel written the front window's channel is left, and the words
// are the reason; with no channel in front the first word names one.
std::optional<TLineAction> Part(TArgs args, const TInputContext& context) {
  std::string channel = ChannelOrFront(args, context);
  if (channel.empty() && !args.Empty()) channel = ChannelArgument(args.Word());
  if (channel.empty()) return Missing();
  return Send(Irc::Part(channel, args.Rest()));
}

std::optional<TLineAction> Quit(TArgs args, const TInputContext&) { return Send(Irc::Quit(args.Rest())); }

// The server's answer (305, 306) is what the user sees.
std::optional<TLineAction> Away(TArgs args, const TInputContext&) { return Send(Irc::Away(args.Rest())); }

std::optional<TLineAction> Nick(TArgs args, const TInputContext&) {
  const std::string_view nick = args.Word();
  if (nick.empty()) return Missing();
  return Send(Irc::Nick(nick));
}

std::optional<TLineAction> Topic(TArgs args, const TInputContext& context) {
  const std::string channel = ChannelOrFront(args, context);
  if (channel.empty()) return Missing();
  return Send(args.Empty() ? Irc::Topic(channel) : Irc::Topic(channel, args.Rest()));
}

std::optional<TLineAction> Kick(TArgs args, const TInputContext& context) {
  const std::string channel = ChannelOrFront(args, context);
  const std::string_view nick = args.Word();
  if (channel.empty() || nick.empty()) return Missing();
  return Send(Irc::Kick(channel, nick, args.Rest()));
}

std::optional<TLineAction> Invite(TArgs args, const TInputContext& context) {
  const std::string_view nick = args.Word();
  const std::string channel = args.Empty() ? FrontChannel(context) : std::string(args.Word());
  if (nick.empty() || channel.empty()) return Missing();
  return Send(Irc::Invite(nick, channel));
}

// Modes without a target ("+m") are the front channel's.
std::optional<TLineAction> Mode(TArgs args, const TInputContext& context) {
  const std::string_view first = args.Peek();
  const bool change = first.empty() || first[0] == '+' || first[0] == '-';
  const std::string target = change ? FrontChannel(context) : std::string(args.Word());
  if (target.empty()) return Missing();
  return Send(Irc::Mode(target, args.Rest()));
}

// The list is the client's: it knows the server's limit.
std::optional<TLineAction> Monitor(TArgs args, const TInputContext&) {
  const std::string_view change = args.Word();
  if (change.size() == 1 || (!change.empty() && change[0] != '+' && change[0] != '-')) return Missing();
  TLineAction action;
  action.kind = TLineAction::Kind::Friends;
  action.text = std::string(change);
  return action;
}

std::optional<TLineAction> Whois(TArgs args, const TInputContext& context) {
  const bool query = context.front.kind == TFrontKind::Query;
  const std::string nick = args.Empty() && query ? context.front.name : std::string(args.Rest());
  if (nick.empty()) return Missing();
  return Send(Irc::Whois(nick));
}

std::optional<TLineAction> Names(TArgs args, const TInputContext& context) {
  const std::string channel = ChannelOrFront(args, context);
  if (channel.empty()) return Missing();
  return Send(Irc::Names(channel));
}

std::optional<TLineAction> List(TArgs args, const TInputContext&) { return Send(Irc::List(args.Rest())); }

// The user connecting again: the server a line would go to may be gone.
std::optional<TLineAction> Server(TArgs args, const TInputContext&) {
  const std::string address(args.Word());
  if (const auto parsed = ParseServerAddress(address); parsed && (parsed->host.empty() || !parsed->portValid))
    return Show({RenderBadServerAddress(address)});
  TLineAction action;
  action.kind = TLineAction::Kind::Connect;
  action.text = address;
  return action;
}

std::optional<TLineAction> Help(TArgs args, const TInputContext& context);

const TCommand kCommands[] = {
    {"JOIN", "/join 채널 [키]", "채널에 들어갑니다.", Join},
    {"PART", "/part [채널] [사유]", "채널에서 나갑니다. 채널을 쓰지 않으면 앞 창의 채널입니다.", Part},
    {"QUERY", "/query 대화명 [메시지]", "귓속말 창을 엽니다.", Query},
    {"PRIVMSG", "/msg 대상 메시지", "채널이나 사용자에게 메시지를 보냅니다.", Msg},
    {"NOTICE", "/notice 대상 메시지", "알림 메시지를 보냅니다.", Notice},
    {"ME", "/me 동작", "앞 창에 동작을 보냅니다.", Me},
    {"ACTION", "/me 동작", nullptr, Me},
    {"CTCP", "/ctcp 대상 명령 [인자]", "CTCP 요청을 보냅니다 (VERSION, TIME, PING ...).", Ctcp},
    {"AWAY", "/away [메시지]", "자리 비움으로 표시합니다. 메시지 없이 쓰면 돌아옵니다.", Away},
    {"NICK", "/nick 대화명", "대화명을 바꿉니다.", Nick},
    {"TOPIC", "/topic [채널] [주제]", "채널 주제를 보거나 바꿉니다.", Topic},
    {"KICK", "/kick [채널] 대화명 [사유]", "채널에서 쫓아냅니다.", Kick},
    {"INVITE", "/invite 대화명 [채널]", "채널로 초대합니다.", Invite},
    {"MODE", "/mode [대상] [모드]", "채널이나 사용자의 모드를 보거나 바꿉니다.", Mode},
    {"WHOIS", "/whois 대화명", "사용자 정보를 봅니다.", Whois},
    {"MONITOR", "/monitor [+대화명,... | -대화명,...]", "친구가 접속하고 나가는 것을 알려 줍니다. 인자 없이 쓰면 친구 목록을 봅니다.", Monitor},
    {"NAMES", "/names [채널]", "채널에 있는 사용자를 봅니다.", Names},
    {"LIST", "/list [조건]", "채널 목록을 엽니다.", List},
    {"SERVER", "/server [주소[:포트]]", "서버에 다시 접속합니다.", Server},
    {"QUIT", "/quit [사유]", "서버와의 접속을 끊습니다.", Quit},
    {"HELP", "/help", "이 목록을 보여 줍니다.", Help},
};

std::optional<TLineAction> Help(TArgs, const TInputContext&) {
  std::vector<std::pair<const char*, const char*>> listed;
  for (const TCommand& command : kCommands)
    if (command.help) listed.emplace_back(command.usage, command.help);
  return Show(RenderHelp(listed));
}

const TCommand* Find(std::string_view word) {
  for (const TCommand& command : kCommands)
    if (SameWord(command.word, word)) return &command;
  return nullptr;
}

// The row of the command an alias stands for ("J" for JOIN).
const TCommand* FindAliased(std::string_view word, const TInputContext& context) {
  if (!context.aliases) return nullptr;
  const std::optional<std::string> command = context.aliases->FindCommand(std::string(word));
  return command ? Find(*command) : nullptr;
}

// Joining a channel whose window is open only brings that window up.
TLineAction Activating(TLineAction action, const TInputContext& context) {
  if (action.kind != TLineAction::Kind::Server || !context.isChannelOpen) return action;
  std::string_view line(action.text);
  if (line.size() < 7 || !SameWord(line.substr(0, 5), "JOIN ")) return action;
  const std::string_view name = line.substr(5, line.size() - 7);
  if (!context.isChannelOpen(name)) return action;
  TLineAction activate;
  activate.kind = TLineAction::Kind::Activate;
  activate.text = std::string(name);
  return activate;
}

TLineAction Usage(const TCommand& command) {
  return Show({RenderUsage(command.usage)});
}

}  // namespace

TLineAction CommandLine(std::string_view line, const TInputContext& context) {
  const std::string_view command = line.substr(1);
  const std::string_view word = command.substr(0, command.find(' '));
  const std::string_view rest = command.substr(word.size());
  const TCommand* own = Find(word);
  const TCommand* aliased = FindAliased(word, context);
  for (const TCommand* row : {own, aliased == own ? nullptr : aliased}) {
    if (!row) continue;
    std::optional<TLineAction> action = row->run(TArgs(rest), context);
    if (!action) continue;
    if (action->kind == TLineAction::Kind::None) return Usage(*row);
    return Activating(std::move(*action), context);
  }
  const std::string expanded =
      context.aliases ? context.aliases->Expand(std::string(line).c_str()) : std::string(command);
  if (expanded.empty()) return TLineAction{};
  return Activating(Send(Irc::Raw(expanded)), context);
}
