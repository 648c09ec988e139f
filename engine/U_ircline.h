// Every IRC command line the system sends, built in one place: at most
// kIrcLineMax bytes with its CR LF. Only free text (a trailing parameter, a
// typed command) is ever cut, at a character boundary, before the line is
// put together, so no line ends inside a character or loses its CR LF.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

constexpr size_t kIrcLineMax = 512;

namespace Irc {

// The longest prefix of `text` that fits beside `overhead` bytes in one line.
std::string_view Fitting(std::string_view text, size_t overhead);
// What of `text` goes out in Privmsg or Action to `target`.
std::string_view PrivmsgText(std::string_view target, std::string_view text);
std::string_view ActionText(std::string_view target, std::string_view text);

// A command typed or handed over whole, cut to fit.
std::string Raw(std::string_view command);
// A built line with a label its replies will carry (labeled-response); the
// label is the client's own word, with nothing to escape.
std::string Labeled(std::string_view label, std::string_view line);
std::string User(std::string_view user, std::string_view realName);
std::string Nick(std::string_view nick);
std::string Pong(std::string_view token);
std::string Ping(std::string_view token);
// Capability negotiation and SASL: "CAP <args>", "AUTHENTICATE <data>".
std::string Cap(std::string_view args);
std::string Authenticate(std::string_view data);
// "CAP REQ :a b c" lines that ask for all of `names`, each within the limit.
std::vector<std::string> CapRequests(const std::vector<std::string>& names);
// "MONITOR + a,b" (sign '+') or "MONITOR - a,b", taken as JoinMany takes.
std::string Monitor(char sign, const std::vector<std::string>& nicks, size_t first, size_t* taken);
// The last `limit` lines of `target`, or those after `after` ("msgid=..." or
// "timestamp=..."): "CHATHISTORY LATEST target after limit".
std::string ChatHistoryLatest(std::string_view target, std::string_view after, int limit);
// Up to `limit` lines of `target` said after `after`: "CHATHISTORY AFTER target after limit".
std::string ChatHistoryAfter(std::string_view target, std::string_view after, int limit);
// Without a message, the bare command.
std::string Quit(std::string_view message);
// Marked away with the message; without one, back again.
std::string Away(std::string_view message);
std::string Join(std::string_view channel, std::string_view key = {});
// As many of `channels` from `first` on as one comma-joined line holds;
// `taken` says how many that is. A name no line could hold is taken and left
// out, so the caller always moves on.
std::string JoinMany(const std::vector<std::string>& channels, size_t first, size_t* taken);
std::string Part(std::string_view channel, std::string_view reason = {});
std::string List(std::string_view args = {});
std::string Names(std::string_view channel);
std::string Invite(std::string_view nick, std::string_view channel);
// As JoinMany, for leaving many channels at once.
std::string PartMany(const std::vector<std::string>& channels, size_t first, size_t* taken);
std::string Whois(std::string_view nick);
std::string Privmsg(std::string_view target, std::string_view text);
std::string Notice(std::string_view target, std::string_view text);
std::string Action(std::string_view target, std::string_view text);
// "PRIVMSG target :\1body\1".
std::string Ctcp(std::string_view target, std::string_view body);
// A channel's modes asked for, or set: "MODE target modes".
std::string Mode(std::string_view target, std::string_view modes = {});
// Channel modes set from the channel dialog: "MODE channel modes key limit",
// the key and limit only when given; the key is what gets cut.
std::string ChannelModes(std::string_view channel, std::string_view modes, std::string_view key,
                         std::string_view limit);
// A member's mode from the member menu: "MODE channel +o :nick".
std::string MemberMode(std::string_view channel, std::string_view mode, std::string_view nick);
std::string Kick(std::string_view channel, std::string_view nick, std::string_view reason = {});
// The topic asked for (no text) or set.
std::string Topic(std::string_view channel);
std::string Topic(std::string_view channel, std::string_view topic);

}  // namespace Irc
