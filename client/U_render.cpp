#include "U_render.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>
#include <ctime>
#include <string>
#include <string_view>

#include "C_socket.h"
#include "U_codepage.h"
#include "U_commondata.h"
#include "U_panelook.h"
#include "winsock_errors.h"

// A mention gets a colour of its own, so it stands out.
// History is muted: it is there to be read back, not to call for attention.
constexpr uint32_t kKindColors[19] = {
    0x000000, 0x800080, 0xFF0000, 0x000000, 0x800000, 0x000000, 0x302D3B, 0x437319, 0xF11574, 0x3D1AC1,
    0x800000, 0x008000, 0x6A43FB, 0x000080, 0xE18706, 0x0A6F43, 0x008000, 0xC80064, 0x7A7F8A,
};

uint32_t KindColor(int kind) { return kind >= 0 && kind <= kKindHistory ? kKindColors[kind] : 0x000000; }

namespace {

// The whois idle reply is split in working buffers of this size.
constexpr size_t kWorkMax = 63;
// ctime's form has room for four-digit years only.
constexpr long long kLastSecondOf9999 = 253402300799LL;

std::string_view View(const char* text) { return text ? std::string_view(text) : std::string_view(); }

bool HasHighByte(std::string_view text) {
  for (const char byte : text)
    if (static_cast<unsigned char>(byte) >= 0x80) return true;
  return false;
}

bool IsUtf8Text(const char* text) {
  const std::string_view view = View(text);
  return HasHighByte(view) && DisplayCoding(view.data(), view.size()) == TextCoding::Utf8;
}

std::string ArgumentIn(const char* arg, TextCoding line) {
  const std::string_view view = View(arg);
  if (line == TextCoding::Cp949 || !HasHighByte(view) || IsUtf8Text(arg)) return std::string(view);
  return DecodeText(view.data(), view.size(), TextCoding::Cp949).toUtf8().toStdString();
}

size_t Utf8CutLength(const std::string& text, size_t limit) {
  if (text.size() <= limit) return text.size();
  size_t cut = limit;
  while (cut > 0 && (static_cast<unsigned char>(text[cut]) & 0xC0) == 0x80) --cut;
  return cut;
}

TOutLine Line(TOutTarget where, std::string name, int kind, std::string text) {
  return TOutLine{where, std::move(name), kind, std::move(text), -1};
}

TOutTarget ChannelOr(const char* name, TOutTarget otherwise) {
  return IsChannelName(name) ? TOutTarget::Channel : otherwise;
}

std::string ChannelNameOf(const char* target) {
  return IsChannelName(target) ? std::string(target) : std::string();
}

struct TSplit {
  std::string_view first;
  std::string_view rest;
};

// Cuts at the first space; nothing when there is none.
std::optional<TSplit> SplitWord(std::string_view text) {
  const size_t space = text.find(' ');
  if (space == std::string_view::npos) return std::nullopt;
  return TSplit{text.substr(0, space), text.substr(space + 1)};
}

std::string Bounded(std::string_view text) {
  return std::string(text.substr(0, Cp949CutLength(text.data(), text.size(), kWorkMax)));
}

// The calendar text of ctime without its newline; nothing for a text that is
// no time.
std::optional<std::string> CalendarText(std::string_view seconds) {
  long long value = 0;
  const auto [end, error] = std::from_chars(seconds.data(), seconds.data() + seconds.size(), value);
  if (error != std::errc() || end != seconds.data() + seconds.size()) return std::nullopt;
  if (value < 0 || value > kLastSecondOf9999) return std::nullopt;
  const time_t time = static_cast<time_t>(value);
  struct tm local {};
  char text[64];
  if (!localtime_r(&time, &local) || !asctime_r(&local, text)) return std::nullopt;
  std::string shown(text);
  if (!shown.empty() && shown.back() == '\n') shown.pop_back();
  return shown;
}

std::optional<std::string> IdleLine(const std::string& nick, std::string_view rest) {
  const auto idle = SplitWord(rest);
  if (!idle) return std::nullopt;
  const std::string seconds = Bounded(idle->first);
  const std::string signOn = Bounded(idle->rest.substr(0, idle->rest.find(' ')));
  const auto calendar = CalendarText(signOn);
  if (!calendar) return std::nullopt;
  return ComposeLine("◆ %s님은 '%s'로부터 %s초간 잠수중 입니다.",
                     {nick.c_str(), calendar->c_str(), seconds.c_str()});
}

std::optional<std::string> WhoisText(int code, const std::string& word, const std::string& rest) {
  const char* w = word.c_str();
  const char* r = rest.c_str();
  switch (code) {
    case 311: return ComposeLine("◆ %s님의 username, host, realname - %s", {w, r});
    case 312: return ComposeLine("◆ %s님의 서버이용 - %s", {w, r});
    case 313: return ComposeLine("◆ %s님은 서버 오퍼레이터 입니다.", {w});
    case 314: return ComposeLine("◆ %s님의 사용기록(username host realname) - %s", {w, r});
    case 315: return ComposeLine("◆ %s님의 사용 조회 종료", {w});
    case 317: return IdleLine(word, rest);
    case 318: return ComposeLine("◆ %s님의 사용자정보 조회 종료", {w});
    case 319: return ComposeLine("◆ %s님의 입장채널 - %s", {w, rest.empty() ? r : r + 1});
    case 330: return ComposeLine("◆ %s님의 계정: %s", {w, std::string(rest, 0, rest.find(' ')).c_str()});
    case 352: return ComposeLine("◆ %s", {r});
    case 369: return ComposeLine("◆ %s님의 사용기록 조회 종료", {w});
    default: return std::nullopt;
  }
}

}  // namespace

std::string ComposeLine(const char* literalUtf8, std::initializer_list<const char*> args) {
  TextCoding coding = TextCoding::Cp949;
  for (const char* arg : args)
    if (IsUtf8Text(arg)) coding = TextCoding::Utf8;
  const std::string_view format = coding == TextCoding::Utf8 ? literalUtf8 : Cp949Literal(literalUtf8);
  std::string line;
  auto next = args.begin();
  for (size_t at = 0; at < format.size(); ++at) {
    if (format.compare(at, 2, "%s") == 0) {
      if (next != args.end()) line += ArgumentIn(*next++, coding);
      ++at;
    } else {
      line += format[at];
    }
    if (line.size() > 2 * kLineMax) break;
  }
  const size_t cut = coding == TextCoding::Utf8 ? Utf8CutLength(line, kLineMax)
                                                : Cp949CutLength(line.data(), line.size(), kLineMax);
  line.resize(cut);
  return line;
}

bool IsChannelName(const char* name) { return name && (name[0] == '#' || name[0] == '&'); }

namespace {

std::string MessageText(const char* nick, const char* text) { return ComposeLine("<%s> %s", {nick, text}); }

// The nick follows an opening mark of `at` bytes and ends, less its closing
// mark, at the line's first blank (nicks hold none). Found in the composed
// line, since composing may have changed the nick's coding.
TOutLine Spoken(TOutLine line, const char* nick, size_t at, size_t closing) {
  const size_t blank = line.text.find(' ', at);
  if (blank == std::string::npos || blank < at + closing) return line;
  line.nickAt = at;
  line.nickLength = blank - closing - at;
  line.nickColour = NickColor(View(nick));
  return line;
}

}  // namespace

std::optional<TOutLine> RenderPrivmsg(const char* nick, const char* target, const char* text) {
  const bool channel = IsChannelName(target);
  return Spoken(Line(channel ? TOutTarget::Channel : TOutTarget::Query, std::string(View(channel ? target : nick)),
                     kKindMessage, MessageText(nick, text)),
                nick, 1, 1);
}

TOutLine RenderOwnMessage(TOutTarget where, const std::string& name, const std::string& ownNick,
                          const std::string& text, int chat) {
  TOutLine line = Line(where, name, kKindOwnMessage, MessageText(ownNick.c_str(), text.c_str()));
  line.chat = chat;
  return line;
}

namespace {

TOutTarget OwnWhere(const std::string& target, bool windowOpen) {
  if (!windowOpen) return TOutTarget::Active;
  return IsChannelName(target.c_str()) ? TOutTarget::Channel : TOutTarget::Query;
}

std::string OwnName(const std::string& target, bool windowOpen) { return windowOpen ? target : std::string(); }

std::string ActionText(const char* nick, const char* text) { return ComposeLine("* %s %s", {nick, text}); }

}  // namespace

TOutLine RenderOwnLine(const std::string& target, const std::string& text, const std::string& ownNick,
                       bool windowOpen) {
  if (windowOpen) return RenderOwnMessage(OwnWhere(target, true), target, ownNick, text);
  return Line(TOutTarget::Active, "", kKindOwnMessage, ComposeLine("-> *%s* %s", {target.c_str(), text.c_str()}));
}

TOutLine RenderAction(const std::string& target, const std::string& text, const std::string& nick, bool windowOpen) {
  return Line(OwnWhere(target, windowOpen), OwnName(target, windowOpen), kKindAction,
              ActionText(nick.c_str(), text.c_str()));
}

TOutLine RenderOwnNotice(const std::string& target, const std::string& text) {
  return Line(TOutTarget::Active, "", kKindOwnMessage, ComposeLine("-> -%s- %s", {target.c_str(), text.c_str()}));
}

TOutLine RenderOwnCtcp(const std::string& target, const std::string& body) {
  return Line(TOutTarget::Active, "", kKindCtcp, ComposeLine("-> [%s] %s", {target.c_str(), body.c_str()}));
}

TOutLine RenderRefused(const std::string& target, const std::string& text, const char* reason, bool windowOpen) {
  return Line(OwnWhere(target, windowOpen), OwnName(target, windowOpen), kKindState,
              ComposeLine("◆ 서버가 받지 않아 보내지 못했습니다 (%s): %s", {reason, text.c_str()}));
}

TOutLine AsHistory(TOutLine line, int64_t time) {
  line.kind = kKindHistory;
  line.time = time;
  return line;
}

namespace {

// Each channel once, in the order the batch first names it, with its nicks.
std::vector<std::pair<std::string, std::vector<std::string>>> ByChannel(const ZoBatch& batch) {
  std::vector<std::pair<std::string, std::vector<std::string>>> channels;
  for (const ZoBatchEntry& entry : batch.entries) {
    auto found = std::find_if(channels.begin(), channels.end(),
                              [&](const auto& channel) { return ZoSameName(channel.first.c_str(), entry.channel.c_str()); });
    if (found == channels.end()) found = channels.insert(channels.end(), {entry.channel, {}});
    found->second.push_back(entry.nick);
  }
  return channels;
}

// The nicks as far as one line holds them; the line's own bound cuts the rest.
std::string NickList(const std::vector<std::string>& nicks) {
  std::string list;
  for (const std::string& nick : nicks) {
    if (list.size() > kLineMax) break;
    if (!list.empty()) list += ", ";
    list += nick;
  }
  return list;
}

}  // namespace

std::vector<TOutLine> RenderBatch(const ZoBatch& batch) {
  const bool split = batch.type == "netsplit";
  if (!split && batch.type != "netjoin") return {};
  const std::string servers =
      batch.params.size() >= 2 ? ComposeLine(" (%s ↔ %s)", {batch.params[0].c_str(), batch.params[1].c_str()}) : "";
  std::vector<TOutLine> lines;
  for (const auto& [channel, nicks] : ByChannel(batch)) {
    const std::string count = std::to_string(nicks.size());
    const std::string list = NickList(nicks);
    lines.push_back(Line(TOutTarget::Channel, channel, split ? kKindQuit : kKindJoin,
                         ComposeLine(split ? "◆ 넷스플릿: %s명 나감%s: %s" : "◆ 넷조인: %s명 돌아옴%s: %s",
                                     {count.c_str(), servers.c_str(), list.c_str()})));
  }
  return lines;
}

TOutLine RenderFriend(int numeric, const std::string& nick, bool inQuery) {
  return Line(inQuery ? TOutTarget::Query : TOutTarget::Status, inQuery ? nick : std::string(), kKindNotice,
              ComposeLine(numeric == 730 ? "◆ 친구 %s님 접속" : "◆ 친구 %s님 나감", {nick.c_str()}));
}

TOutLine RenderFriendsRefused(int limit, const std::vector<std::string>& nicks) {
  if (limit == 0)
    return Line(TOutTarget::Status, "", kKindState, ComposeLine("◆ 이 서버는 친구 알림(MONITOR)을 지원하지 않습니다.", {}));
  return Line(TOutTarget::Status, "", kKindState,
              ComposeLine("◆ 서버가 지켜보는 친구는 %s명까지라 알림을 받지 못합니다: %s",
                          {std::to_string(limit).c_str(), NickList(nicks).c_str()}));
}

TOutLine RenderFriendList(const std::vector<std::string>& nicks) {
  if (nicks.empty()) return Line(TOutTarget::Active, "", kKindState, ComposeLine("◆ 친구 목록이 비어 있습니다.", {}));
  return Line(TOutTarget::Active, "", kKindState, ComposeLine("◆ 친구: %s", {NickList(nicks).c_str()}));
}

TOutLine RenderChatMessage(int chat, const std::string& nick, const char* text) {
  // Peers end their lines with CR LF and only the LF is cut off.
  std::string said = text ? text : "";
  if (!said.empty() && said.back() == '\r') said.pop_back();
  TOutLine line = Line(TOutTarget::Chat, "", kKindMessage, MessageText(nick.c_str(), said.c_str()));
  line.chat = chat;
  return Spoken(std::move(line), nick.c_str(), 1, 1);
}

namespace {

// Characters a nick may hold besides letters and digits.
bool IsNickChar(unsigned char c) { return std::isalnum(c) || std::strchr("[]\\`_^{|}-", c) != nullptr; }

bool SameFolded(std::string_view a, std::string_view b) {
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) return false;
  return true;
}

}  // namespace

bool NamesNick(const char* text, const char* nick) {
  const std::string_view line = View(text);
  const std::string_view wanted = View(nick);
  if (wanted.empty()) return false;
  for (size_t at = 0; at + wanted.size() <= line.size(); ++at) {
    if (!SameFolded(line.substr(at, wanted.size()), wanted)) continue;
    const bool startsWord = at == 0 || !IsNickChar(static_cast<unsigned char>(line[at - 1]));
    const size_t end = at + wanted.size();
    const bool endsWord = end == line.size() || !IsNickChar(static_cast<unsigned char>(line[end]));
    if (startsWord && endsWord) return true;
  }
  return false;
}

std::optional<TOutLine> RenderChannelMessage(const char* nick, const char* target, const char* text,
                                             const char* ownNick) {
  std::optional<TOutLine> line = RenderPrivmsg(nick, target, text);
  if (line && line->where == TOutTarget::Channel && NamesNick(text, ownNick)) line->kind = kKindMention;
  return line;
}

std::optional<TOutLine> RenderNotice(const char* nick, const char* target, const char* text) {
  return Spoken(Line(ChannelOr(target, TOutTarget::Active), ChannelNameOf(target), kKindNotice,
                     ComposeLine("-%s- %s", {nick, text})),
                nick, 1, 1);
}

std::optional<TOutLine> RenderCtcp(const stCTCP& ctcp) {
  // An action belongs where it was said, like the message it stands for.
  if (ZoSameName(ctcp.ctcp, "ACTION")) {
    const bool channel = ctcp.channel[0] != 0;
    return Line(channel ? TOutTarget::Channel : TOutTarget::Query, std::string(View(channel ? ctcp.channel : ctcp.nick)),
                kKindAction, ActionText(ctcp.nick, ctcp.params));
  }
  const std::string text = ctcp.params[0] ? ComposeLine("[%s %s]: %s", {ctcp.nick, ctcp.ctcp, ctcp.params})
                                          : ComposeLine("[%s %s]", {ctcp.nick, ctcp.ctcp});
  return Line(TOutTarget::Active, "", kKindCtcp, text);
}

std::optional<TOutLine> RenderOwnerJoin(const char* channel) {
  return Line(TOutTarget::Channel, std::string(View(channel)), kKindJoin,
              ComposeLine("◆ %s채널에서 대화합니다.", {channel}));
}

std::optional<TOutLine> RenderOtherJoin(const char* channel, const char* nick) {
  return Line(TOutTarget::Channel, std::string(View(channel)), kKindJoin,
              ComposeLine("◆ %s채널에 %s님께서 입장하셨습니다", {channel, nick}));
}

std::optional<TOutLine> RenderOtherPart(const char* channel, const char* nick) {
  return Line(TOutTarget::Channel, std::string(View(channel)), kKindPart,
              ComposeLine("◆ %s채널의 %s님께서 퇴장하셨습니다", {channel, nick}));
}

std::optional<TOutLine> RenderOtherQuit(const char* channel, const char* nick) {
  return Line(TOutTarget::Channel, std::string(View(channel)), kKindQuit,
              ComposeLine("◆ %s님이 서버를 떠나셨습니다.", {nick}));
}

bool IsOwnKick(const char* kicked, const char* ownNick) {
  return kicked && ownNick && ZoSameName(kicked, ownNick);
}

std::optional<TOutLine> RenderKick(const char* channel, const char* kicker, const char* kicked,
                                   const char* reason, const char* ownNick) {
  if (IsOwnKick(kicked, ownNick))
    return Line(TOutTarget::Active, "", kKindKick,
                ComposeLine("◆ %s채널에서 %s님께 쫓겨났습니다. (%s)", {channel, kicker, reason}));
  return Line(TOutTarget::Channel, std::string(View(channel)), kKindKick,
              ComposeLine("◆ %s님이 %s님께 쫓겨났습니다. (%s)", {kicked, kicker, reason}));
}

std::optional<TOutLine> RenderNick(const char* oldNick, const char* newNick) {
  return Line(TOutTarget::Renamed, std::string(View(newNick)), kKindNick,
              ComposeLine("◆ %s님의 대화명이 %s으로 바뀌었습니다.", {oldNick, newNick}));
}

TOutLine RenderOwnAway(bool away) {
  return Line(TOutTarget::Active, "", kKindState,
              ComposeLine(away ? "◆ 자리 비움으로 표시했습니다." : "◆ 자리 비움을 끝냈습니다.", {}));
}

TOutLine RenderPeerAway(const char* nick, const char* message, bool toQuery) {
  return Line(toQuery ? TOutTarget::Query : TOutTarget::Active, toQuery ? std::string(View(nick)) : "", kKindState,
              ComposeLine("◆ %s님은 자리를 비웠습니다: %s", {nick, message}));
}

TOutLine RenderOthersInvite(const char* channel, const char* inviter, const char* invitee) {
  return Line(TOutTarget::Channel, channel, kKindInvite, ComposeLine("◆ %s님이 %s님을 초대했습니다", {inviter, invitee}));
}

std::optional<TOutLine> RenderInvite(const char* channel, const char* nick) {
  // The channel comes with the colon of its IRC parameter; the user is told
  // to type the name alone.
  const char* name = channel && channel[0] == ':' ? channel + 1 : channel;
  return Line(TOutTarget::Active, "", kKindInvite,
              ComposeLine("◆ %s님이 초청합니다. 입장 하시려면 'JOIN %s'를 입력하세요", {nick, name}));
}

std::optional<TOutLine> RenderMode(const char* target, const char* setter, const char* modes) {
  const char* shown = modes && modes[0] == ':' ? modes + 1 : modes;
  return Line(ChannelOr(target, TOutTarget::Active), ChannelNameOf(target), kKindMode,
              ComposeLine("◆ %s님이 %s 를 지정했습니다.", {setter, shown}));
}

std::optional<TOutLine> RenderTopic(const char* channel, const char* setter, const char* topic) {
  return Line(TOutTarget::Channel, std::string(View(channel)), kKindTopic,
              ComposeLine("◆ %s님께서 채널 주제를 %s로 변경했습니다", {setter, topic}));
}

std::optional<TOutLine> RenderNTopic(const char* channel, const char* topic) {
  return Line(TOutTarget::Channel, std::string(View(channel)), kKindTopic,
              ComposeLine("◆ 채널의 주제는 '%s'입니다.", {topic}));
}

std::optional<TOutLine> RenderWhois(int code, const char* text) {
  const auto split = SplitWord(View(text));
  if (!split) return std::nullopt;
  const auto shown = WhoisText(code, std::string(split->first), std::string(split->rest));
  if (!shown) return std::nullopt;
  return Line(TOutTarget::Active, "", kKindWhois, *shown);
}

std::optional<TOutLine> RenderTlsRefusal(int code, const std::string& certificate) {
  if (code == kZoTlsPinChanged)
    return Line(TOutTarget::Active, "", kKindState,
                ComposeLine("◆ 보안 연결을 거부했습니다: 서버 인증서가 믿기로 한 인증서와 다릅니다(새 인증서의 SHA-256 %s). "
                            "접속하지 않았습니다. 바뀐 까닭을 서버 관리자에게 확인하십시오.",
                            {certificate.c_str()}));
  const char* why = code == kZoTlsExpired     ? "인증서의 유효 기간이 지났거나 아직 시작되지 않았습니다"
                    : code == kZoTlsWrongName ? "인증서가 접속한 서버 이름의 것이 아닙니다"
                    : code == kZoTlsUntrusted ? "인증서를 신뢰할 수 없습니다(설정에서 지문이나 CA 파일로 신뢰할 수 있습니다)"
                    : code == kZoTlsFailed    ? "이 시스템에서 TLS를 쓸 수 없습니다"
                    : code == kZoTlsBadFile   ? "설정한 CA 파일, 인증서나 키 파일을 쓸 수 없습니다(1 MiB 이하의 일반 파일이어야 합니다)"
                                              : nullptr;
  if (!why) return std::nullopt;
  return Line(TOutTarget::Active, "", kKindState, ComposeLine("◆ 보안 연결을 거부했습니다: %s. 접속하지 않았습니다.", {Cp949Literal(why)}));
}

TOutLine RenderCertificateTrusted(const char* host) {
  return Line(TOutTarget::Active, "", kKindState, ComposeLine("◆ %s 서버의 인증서를 믿기로 했습니다. 다시 접속합니다.", {host}));
}

TOutLine RenderSecretInFile() {
  return Line(TOutTarget::Active, "", kKindState,
              ComposeLine("◆ 비밀번호를 맡길 보안 저장소(비밀 서비스)가 없어, 나만 읽을 수 있는 설정 파일에 둡니다.", {}));
}

std::optional<TOutLine> RenderStandardReply(const stIRC& record) {
  const std::string_view command = View(record.command);
  if (command != "FAIL" && command != "WARN" && command != "NOTE") return std::nullopt;
  // "FAIL <command> <code> [<context>...] :<description>"
  const std::string about = std::string(ZoParam(record, 0)) + " " + ZoParam(record, 1);
  const char* description = record.paramCount > 2 ? ZoParam(record, record.paramCount - 1u) : "";
  return Line(TOutTarget::Active, "", kKindNotice,
              ComposeLine("◆ %s(%s) %s", {record.command, about.c_str(), description}));
}

std::optional<TOutLine> RenderNumeric(const char* command, const char* rest) {
  const std::string_view code = View(command);
  int value = 0;
  const auto [end, error] = std::from_chars(code.data(), code.data() + code.size(), value);
  if (code.empty() || error != std::errc() || end != code.data() + code.size() || value < 400)
    return std::nullopt;
  return Line(TOutTarget::Active, "", kKindNotice, ComposeLine("◆ ERROR(%s) %s", {command, rest}));
}

std::optional<TOutLine> RenderList(int code) {
  if (code == 322) return std::nullopt;
  const char* text = code == 321 ? "◆ 채널 리스트를 받고 있습니다... 기다려 주십시오."
                                 : "◆ 채널 리스트를 다 받았습니다.";
  return Line(TOutTarget::Active, "", kKindState, ComposeLine(text, {}));
}

TOutLine RenderOfferDropped(const TQuestion& offer, TOfferDrop why) {
  const bool file = offer.kind == TQuestionKind::FileOffer;
  const char* text = nullptr;
  if (why == TOfferDrop::TooMany)
    text = file ? "◆ %s님의 파일(%s) 받기 요청이 너무 많아 거절했습니다." : "◆ %s님의 DCC-CHAT 요청이 너무 많아 거절했습니다.";
  else
    text = file ? "◆ %s님의 파일(%s) 받기 요청에 응답이 없어 취소했습니다."
                : "◆ %s님의 DCC-CHAT 요청에 응답이 없어 취소했습니다.";
  return Line(TOutTarget::Active, "", kKindCtcp, ComposeLine(text, {offer.nick.c_str(), offer.fileName.c_str()}));
}

std::string ChatOfferPrompt(const char* nick) {
  return ComposeLine("◆ %s님이 DCC-CHAT를 요청합니다. 수락하시겠습니까?", {nick});
}

TOutLine RenderConnected() { return Line(TOutTarget::Active, "", kKindState, ComposeLine("◆ 서버에 접속되었습니다.", {})); }

std::vector<TOutLine> RenderLogon() {
  return {Line(TOutTarget::Active, "", kKindState, ComposeLine("◆ 채널 입장은 /join #채널, 채널 목록은 /list 입니다.", {})),
          Line(TOutTarget::Active, "", kKindNotice, ComposeLine("◆ 로그온 했습니다", {}))};
}

TOutLine RenderWindowHint() {
  return Line(TOutTarget::Active, "", kKindNotice, ComposeLine("◆ 창 선택 단추로 열린 창 사이를 오갈 수 있습니다.", {}));
}

TOutLine RenderDisconnected(bool byUser) {
  const char* text = byUser ? "◆ 요청하신 대로 서버와의 접속을 끊었습니다.\r\n"
                              "◆ 다시 접속하려면 페이지에서 접속(Connect)을 누르세요."
                            : "◆ 접속 해제 되었습니다.\r\n◆ 재접속 합니다.";
  return Line(TOutTarget::All, "", kKindState, ComposeLine(text, {}));
}

TOutLine RenderRetryIn(int delayMs) {
  return Line(TOutTarget::All, "", kKindState,
              ComposeLine("◆ %s초 후 다시 연결합니다.", {std::to_string(delayMs / 1000).c_str()}));
}

TOutLine RenderSocketError(int code) {
  return Line(TOutTarget::Active, "", kKindState, "IRC-Error : " + ErrorWithReason(code));
}

TOutLine RenderNotSent() {
  return Line(TOutTarget::Active, "", kKindState, ComposeLine("◆ 서버에 접속되어 있지 않아 보내지 못했습니다.", {}));
}

TOutLine RenderAlreadyConnected() {
  return Line(TOutTarget::Active, "", kKindState, ComposeLine("◆ 이미 서버에 접속해 있습니다.", {}));
}

TOutLine RenderPasteWaiting(int lines) {
  return Line(TOutTarget::Active, "", kKindState,
              ComposeLine("◆ 붙여넣은 줄 가운데 %s줄을 차례로 보냅니다. 멈추려면 Esc 를 누르세요.",
                          {std::to_string(lines).c_str()}));
}

TOutLine RenderPasteStopped(int lines) {
  return Line(TOutTarget::Active, "", kKindState,
              ComposeLine("◆ 보내지 않은 %s줄을 보내지 않기로 했습니다.", {std::to_string(lines).c_str()}));
}

TOutLine RenderRejoin(const char* channel) {
  return Line(TOutTarget::Channel, channel, kKindNotice, ComposeLine("◆ %s채널에 재입장을 시도합니다..", {channel}));
}

TOutLine RenderUsage(const char* usage) {
  return Line(TOutTarget::Active, "", kKindState, ComposeLine((std::string("◆ 사용법: ") + usage).c_str(), {}));
}

std::vector<TOutLine> RenderHelp(const std::vector<std::pair<const char*, const char*>>& commands) {
  std::vector<TOutLine> lines{
      Line(TOutTarget::Active, "", kKindState, ComposeLine("◆ 명령어 목록 (그 밖의 명령은 입력한 그대로 서버로 갑니다)", {}))};
  for (const auto& [usage, help] : commands)
    lines.push_back(
        Line(TOutTarget::Active, "", kKindState, ComposeLine((std::string("◆ ") + usage + " : " + help).c_str(), {})));
  return lines;
}

TOutLine RenderBadServerAddress(const std::string& address) {
  return Line(TOutTarget::Active, "", kKindState,
              ComposeLine("◆ 서버 주소가 올바르지 않습니다: %s (주소[:포트], 포트는 1부터 65535까지)", {address.c_str()}));
}

TOutLine RenderQueryCapNote() {
  return Line(TOutTarget::Status, "", kKindState, ComposeLine("◆ 귓속말 창이 너무 많아 새 귓속말은 상태창에 표시합니다.", {}));
}

TOutLine RenderMotdLine(const char* text) {
  return Line(TOutTarget::Status, "", kKindState, ComposeLine("%s", {text}));
}

namespace {

TOutLine ChatLine(int chat, std::string text) {
  TOutLine line = Line(TOutTarget::Chat, "", kKindCtcp, std::move(text));
  line.chat = chat;
  return line;
}

}  // namespace

TOutLine RenderChatRequested(int chat, const char* nick) {
  return ChatLine(chat, ComposeLine("◆ %s님께 DCC-CHAT를 요청했습니다. 대기중...", {nick}));
}

TOutLine RenderChatConnecting(int chat, const char* nick, const char* address, int port) {
  return ChatLine(chat, ComposeLine("◆ %s님과 DCC-CHAT접속중 (%s/%s)...", {nick, address, std::to_string(port).c_str()}));
}

TOutLine RenderChatConnected(int chat) { return ChatLine(chat, ComposeLine("◆ 접속되었습니다", {})); }
TOutLine RenderChatDisconnected(int chat) { return ChatLine(chat, ComposeLine("◆ 접속해제 되었습니다", {})); }
