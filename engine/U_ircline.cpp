#include "U_ircline.h"

#include "U_codepage.h"

namespace {

constexpr std::string_view kCrLf = "\r\n";

size_t Utf8CutLength(std::string_view text, size_t limit) {
  size_t cut = limit;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return cut;
}

// Words and short parameters are taken as they are; a text that cannot fit
// at all is cut like free text so the line still ends in CR LF.
std::string Line(std::string_view head, std::string_view text = {}, std::string_view tail = {}) {
  std::string line(head);
  line.append(Irc::Fitting(text, head.size() + tail.size() + kCrLf.size()));
  line.append(tail);
  line.append(kCrLf);
  if (line.size() > kIrcLineMax) return std::string(Irc::Fitting(line, kCrLf.size())) + std::string(kCrLf);
  return line;
}

std::string Concat(std::initializer_list<std::string_view> words) {
  std::string joined;
  for (const std::string_view word : words) joined.append(word);
  return joined;
}

// A command whose only free text is optional: "CMD :text", or "CMD".
std::string WithOptionalText(std::string_view head, std::string_view text) {
  return text.empty() ? Line(head) : Line(Concat({head, " :"}), text);
}

// As many names from `first` on as one "HEAD a,b,c" line holds.
std::string ListLine(std::string_view head, const std::vector<std::string>& names, size_t first, size_t* taken,
                     char separator = ',') {
  const size_t room = kIrcLineMax - head.size() - kCrLf.size();
  std::string list;
  size_t next = first;
  for (; next < names.size(); ++next) {
    const std::string& name = names[next];
    if (name.size() > room) continue;
    if (list.size() + (list.empty() ? 0 : 1) + name.size() > room) break;
    if (!list.empty()) list.push_back(separator);
    list.append(name);
  }
  *taken = next - first;
  return list.empty() ? std::string() : Line(head, list);
}

}  // namespace

namespace Irc {

std::string_view Fitting(std::string_view text, size_t overhead) {
  const size_t room = overhead < kIrcLineMax ? kIrcLineMax - overhead : 0;
  if (text.size() <= room) return text;
  const size_t cut = DisplayCoding(text.data(), text.size()) == TextCoding::Utf8
                         ? Utf8CutLength(text, room)
                         : Cp949CutLength(text.data(), text.size(), room);
  return text.substr(0, cut);
}

std::string_view PrivmsgText(std::string_view target, std::string_view text) {
  return Fitting(text, target.size() + std::string_view("PRIVMSG  :\r\n").size());
}

std::string_view ActionText(std::string_view target, std::string_view text) {
  return Fitting(text, target.size() + std::string_view("PRIVMSG  :\1ACTION \1\r\n").size());
}

std::string Raw(std::string_view command) { return Line({}, command); }
std::string Labeled(std::string_view label, std::string_view line) { return Concat({"@label=", label, " ", line}); }
std::string User(std::string_view user, std::string_view realName) {
  return Line(Concat({"USER ", user, " 0 0 :"}), realName);
}
std::string Nick(std::string_view nick) { return Line("NICK ", nick); }
std::string Pong(std::string_view token) { return Line("PONG ", token); }
std::string Ping(std::string_view token) { return Line("PING ", token); }
std::string Cap(std::string_view args) { return Line("CAP ", args); }
std::string Authenticate(std::string_view data) { return Line("AUTHENTICATE ", data); }
std::vector<std::string> CapRequests(const std::vector<std::string>& names) {
  std::vector<std::string> lines;
  for (size_t first = 0, taken = 0; first < names.size(); first += taken) {
    std::string line = ListLine("CAP REQ :", names, first, &taken, ' ');
    if (!line.empty()) lines.push_back(std::move(line));
  }
  return lines;
}
std::string Monitor(char sign, const std::vector<std::string>& nicks, size_t first, size_t* taken) {
  const char head[] = {'M', 'O', 'N', 'I', 'T', 'O', 'R', ' ', sign, ' '};
  return ListLine(std::string_view(head, sizeof head), nicks, first, taken);
}
std::string ChatHistoryLatest(std::string_view target, std::string_view after, int limit) {
  return Line(Concat({"CHATHISTORY LATEST ", target, " ", after.empty() ? "*" : after, " "}),
              std::to_string(limit));
}
std::string ChatHistoryAfter(std::string_view target, std::string_view after, int limit) {
  return Line(Concat({"CHATHISTORY AFTER ", target, " ", after, " "}), std::to_string(limit));
}
std::string Quit(std::string_view message) { return WithOptionalText("QUIT", message); }
std::string Away(std::string_view message) { return WithOptionalText("AWAY", message); }
std::string Join(std::string_view channel, std::string_view key) {
  return key.empty() ? Line("JOIN ", channel) : Line(Concat({"JOIN ", channel, " "}), key);
}
std::string JoinMany(const std::vector<std::string>& channels, size_t first, size_t* taken) {
  return ListLine("JOIN ", channels, first, taken);
}
std::string Part(std::string_view channel, std::string_view reason) {
  return WithOptionalText(Concat({"PART ", channel}), reason);
}
std::string List(std::string_view args) { return args.empty() ? Line("LIST") : Line("LIST ", args); }
std::string Names(std::string_view channel) { return Line("NAMES ", channel); }
std::string Invite(std::string_view nick, std::string_view channel) {
  return Line(Concat({"INVITE ", nick, " "}), channel);
}
std::string PartMany(const std::vector<std::string>& channels, size_t first, size_t* taken) {
  return ListLine("PART ", channels, first, taken);
}
std::string Whois(std::string_view nick) { return Line("WHOIS ", nick); }
std::string Privmsg(std::string_view target, std::string_view text) {
  return Line(Concat({"PRIVMSG ", target, " :"}), text);
}
std::string Notice(std::string_view target, std::string_view text) {
  return Line(Concat({"NOTICE ", target, " :"}), text);
}
std::string Action(std::string_view target, std::string_view text) {
  return Line(Concat({"PRIVMSG ", target, " :\1ACTION "}), text, "\1");
}
std::string Ctcp(std::string_view target, std::string_view body) {
  return Line(Concat({"PRIVMSG ", target, " :\1"}), body, "\1");
}
std::string Mode(std::string_view target, std::string_view modes) {
  return modes.empty() ? Line("MODE ", target) : Line(Concat({"MODE ", target, " "}), modes);
}
std::string ChannelModes(std::string_view channel, std::string_view modes, std::string_view key,
                         std::string_view limit) {
  const std::string tail = limit.empty() ? std::string() : Concat({" ", limit});
  if (key.empty()) return Line(Concat({"MODE ", channel, " ", modes}), {}, tail);
  return Line(Concat({"MODE ", channel, " ", modes, " "}), key, tail);
}
std::string MemberMode(std::string_view channel, std::string_view mode, std::string_view nick) {
  return Line(Concat({"MODE ", channel, " ", mode, " :"}), nick);
}
std::string Kick(std::string_view channel, std::string_view nick, std::string_view reason) {
  return reason.empty() ? Line(Concat({"KICK ", channel, " "}), nick)
                        : Line(Concat({"KICK ", channel, " ", nick, " :"}), reason);
}
std::string Topic(std::string_view channel) { return Line("TOPIC ", channel); }
std::string Topic(std::string_view channel, std::string_view topic) {
  return Line(Concat({"TOPIC ", channel, " :"}), topic);
}

}  // namespace Irc
