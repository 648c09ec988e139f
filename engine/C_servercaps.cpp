#include "C_servercaps.h"

#include "U_codepage.h"
#include "U_commondata.h"
#include "U_ircline.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace {

// What this client can use, in the order asked for; anything else the
// server offers is left alone.
constexpr const char* kWanted[] = {"account-notify", "account-tag",   "away-notify",      "batch",
                                   "cap-notify",     "chghost",       "draft/chathistory", "echo-message",
                                   "extended-join",  "invite-notify", "labeled-response", "message-tags",
                                   "multi-prefix",   "server-time",   "setname",          "userhost-in-names",
                                   "sasl"};

// AUTHENTICATE carries at most this much of the payload per line.
constexpr size_t kChunk = 400;

// An offer beyond either bound is no offer a client can use: registration goes on without.
constexpr size_t kMaxOfferedBytes = 64 << 10;
constexpr size_t kMaxOfferedCaps = 500;

size_t CountWords(const char* text) {
  size_t count = 0;
  for (const char* at = text + strspn(text, " "); *at; at += strspn(at, " ")) {
    ++count;
    at += strcspn(at, " ");
  }
  return count;
}

std::string CommasAsBlanks(std::string list) {
  std::replace(list.begin(), list.end(), ',', ' ');
  return list;
}

// A count a server announces; 0, none or nonsense: no limit.
int LimitOf(const char* text) {
  const long value = strtol(text, nullptr, 10);
  return value > 0 ? static_cast<int>(std::min(value, 100000L)) : -1;
}

bool IsSaslFailure(int numeric) { return numeric >= 902 && numeric <= 907; }

bool AnnouncesUtf8(const char* token) {
  if (strcasecmp(token, "UTF8ONLY") == 0) return true;
  if (strncasecmp(token, "CHARSET=", 8) != 0) return false;
  return strcasecmp(token + 8, "UTF-8") == 0 || strcasecmp(token + 8, "UTF8") == 0;
}

// RFC 4616 wants UTF-8, whatever the wire speaks.
std::string Utf8Of(const std::string& text) { return Utf8Text(text.data(), text.size()); }

}  // namespace

std::string ZoBase64(const std::string& data) {
  static const char kDigits[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  std::string out;
  for (size_t at = 0; at < data.size(); at += 3) {
    uint32_t group = static_cast<uint8_t>(data[at]) << 16;
    if (at + 1 < data.size()) group |= static_cast<uint8_t>(data[at + 1]) << 8;
    if (at + 2 < data.size()) group |= static_cast<uint8_t>(data[at + 2]);
    const size_t digits = std::min<size_t>(3, data.size() - at) + 1;
    for (size_t i = 0; i < 4; ++i) out += i < digits ? kDigits[(group >> (18 - 6 * i)) & 63] : '=';
  }
  return out;
}

bool ZoHasWord(const char* list, const char* name) {
  const size_t length = strlen(name);
  for (const char* at = list; at && *at;) {
    at += strspn(at, " ");
    const size_t word = strcspn(at, " ");
    const size_t key = strcspn(at, " =");
    if (word && key == length && strncasecmp(at, name, length) == 0) return true;
    at += word;
  }
  return false;
}

bool ZoWordValue(const char* list, const char* name, std::string* value) {
  const size_t length = strlen(name);
  for (const char* at = list; at && *at;) {
    at += strspn(at, " ");
    const size_t word = strcspn(at, " ");
    if (word > length && at[length] == '=' && strncasecmp(at, name, length) == 0) {
      value->assign(at + length + 1, word - length - 1);
      return true;
    }
    at += word;
  }
  return false;
}

void CZoServerCaps::SetLogin(const std::string& account, const std::string& password) {
  account_ = account;
  password_ = password;
}

void CZoServerCaps::Start(bool external) {
  external_ = external;
  stage_ = Stage::Listing;
  offered_.clear();
  offeredCount_ = 0;
  requested_.clear();
  unanswered_ = 0;
  saslGranted_ = false;
  enabled_.clear();
  monitorLimit_ = 0;
  historyLimit_ = 0;
  historyByMsgid_ = true;
  utf8_ = false;
  SendText(Irc::Cap("LS 302"));
}

bool CZoServerCaps::Handle(const stIRC& r) {
  const int numeric = atoi(r.command);
  if (numeric == 5) Supports(r);
  if (stage_ == Stage::Idle) return false;
  if (strcasecmp(r.command, "CAP") == 0) {
    Cap(r);
  } else if (stage_ == Stage::Done) {
    return false;
  } else if (numeric == 1) {
    stage_ = Stage::Done;
  } else if (numeric == 421 && strcasecmp(ZoParam(r, 1), "CAP") == 0) {
    stage_ = Stage::Done;
    return true;
  } else if (strcasecmp(r.command, "AUTHENTICATE") == 0 && stage_ == Stage::LoggingIn) {
    Authenticate(ZoParam(r, 0));
  } else if (strcasecmp(r.command, "AUTHENTICATE") == 0 && stage_ == Stage::Answered) {
    AbortLogin();
  } else if (LoggingIn() && (numeric == 903 || IsSaslFailure(numeric))) {
    End();
  }
  return false;
}

void CZoServerCaps::Cap(const stIRC& r) {
  const char* verb = ZoParam(r, 1);
  const char* list = ZoParam(r, r.paramCount - 1u);
  if (strcasecmp(verb, "LS") == 0 && stage_ == Stage::Listing) {
    Offered(r);
  } else if (strcasecmp(verb, "ACK") == 0 || strcasecmp(verb, "NAK") == 0) {
    Replied(list, strcasecmp(verb, "ACK") == 0);
  } else if (strcasecmp(verb, "NEW") == 0 && stage_ == Stage::Done) {
    PolicyIn(list);
    Request(list);
  } else if (strcasecmp(verb, "DEL") == 0) {
    Disable(list);
  }
}

// "CAP * LS * :more" continues; the last line has no "*" before its list.
void CZoServerCaps::Offered(const stIRC& r) {
  const bool more = r.paramCount >= 4 && strcmp(ZoParam(r, 2), "*") == 0;
  const char* list = ZoParam(r, r.paramCount - 1u);
  offeredCount_ += CountWords(list);
  if (offeredCount_ > kMaxOfferedCaps || offered_.size() + strlen(list) >= kMaxOfferedBytes) return End();
  if (!offered_.empty()) offered_ += ' ';
  offered_ += list;
  if (more) return;
  PolicyIn(offered_.c_str());
  unanswered_ = Request(offered_.c_str());
  offered_.clear();  // only what was requested matters from here on
  if (unanswered_ == 0) return End();
  stage_ = Stage::Requesting;
}

// Asks for what we use of `offered` and is not on yet; returns the number of REQ lines.
size_t CZoServerCaps::Request(const char* offered) {
  std::vector<std::string> wanted;
  for (const char* name : kWanted) {
    if (!ZoHasWord(offered, name) || Enabled(name)) continue;
    if (strcmp(name, "echo-message") == 0 && !echoWanted_) continue;
    // A login needs credentials, and happens only before registration ends.
    if (strcmp(name, "sasl") == 0 && ((account_.empty() && !external_) || stage_ == Stage::Done)) continue;
    wanted.emplace_back(name);
    requested_ += ' ';
    requested_ += name;
  }
  const std::vector<std::string> lines = Irc::CapRequests(wanted);
  for (const std::string& line : lines) SendText(line);
  return lines.size();
}

// Only what was asked for counts: a server cannot switch on a login nobody set up.
void CZoServerCaps::Replied(const char* caps, bool acknowledged) {
  if (acknowledged) Enable(caps);
  if (stage_ != Stage::Requesting) return;
  if (acknowledged && ZoHasWord(caps, "sasl") && ZoHasWord(requested_.c_str(), "sasl")) saslGranted_ = true;
  if (unanswered_ > 0 && --unanswered_ > 0) return;
  if (!saslGranted_) return End();
  stage_ = Stage::LoggingIn;
  SendText(Irc::Authenticate(external_ ? "EXTERNAL" : "PLAIN"));
}

// "-name" turns a capability off; "~" and "=" are older servers' markers.
void CZoServerCaps::Enable(const char* caps) {
  ZoStringSpc words;
  words.setText(caps);
  while (const char* word = words.nextToken()) {
    if (word[0] == '-') {
      Disable(word + 1);
      continue;
    }
    word += strspn(word, "~=");
    if (*word && !Enabled(word) && ZoHasWord(requested_.c_str(), word)) enabled_.emplace_back(word);
  }
}

void CZoServerCaps::Disable(const char* caps) {
  std::erase_if(enabled_, [caps](const std::string& name) { return ZoHasWord(caps, name.c_str()); });
}

bool CZoServerCaps::Enabled(const char* name) const {
  return std::any_of(enabled_.begin(), enabled_.end(), [name](const std::string& on) { return on == name; });
}

void CZoServerCaps::PolicyIn(const char* offered) {
  std::string policy;
  if (OnPolicy && ZoWordValue(offered, "sts", &policy)) OnPolicy(policy.c_str());
}

void CZoServerCaps::GiveUp() {
  if (LoggingIn()) return AbortLogin();
  if (Negotiating()) End();
}

// Once: whatever the server sends after it, registration goes on.
void CZoServerCaps::AbortLogin() {
  SendText(Irc::Authenticate("*"));
  End();
}

void CZoServerCaps::Authenticate(const char* challenge) {
  if (strcmp(challenge, "+") != 0) return AbortLogin();
  stage_ = Stage::Answered;
  // The certificate already says who we are: the payload is empty.
  if (external_) return SendText(Irc::Authenticate("+"));
  const std::string account = Utf8Of(account_);
  const std::string payload = ZoBase64(account + '\0' + account + '\0' + Utf8Of(password_));
  for (size_t at = 0; at < payload.size(); at += kChunk)
    SendText(Irc::Authenticate(payload.substr(at, kChunk)));
  if (payload.size() % kChunk == 0) SendText(Irc::Authenticate("+"));
}

void CZoServerCaps::Supports(const stIRC& r) {
  for (size_t i = 1; i + 1 < r.paramCount; ++i) {
    const char* token = ZoParam(r, i);
    if (AnnouncesUtf8(token)) utf8_ = true;
    if (strcasecmp(token, "MONITOR") == 0) monitorLimit_ = -1;
    if (strncasecmp(token, "MONITOR=", 8) == 0) monitorLimit_ = token[8] ? std::max(0, atoi(token + 8)) : -1;
    if (strcasecmp(token, "CHATHISTORY") == 0) historyLimit_ = -1;
    // A limit of 0 means none: the server takes any.
    if (strncasecmp(token, "CHATHISTORY=", 12) == 0) historyLimit_ = LimitOf(token + 12);
    if (strncasecmp(token, "MSGREFTYPES=", 12) == 0) historyByMsgid_ = ZoHasWord(CommasAsBlanks(token + 12).c_str(), "msgid");
  }
}

int CZoServerCaps::HistoryLimit() const {
  if (historyLimit_ == 0 && Enabled("draft/chathistory")) return -1;
  return historyLimit_;
}

void CZoServerCaps::End() {
  stage_ = Stage::Done;
  SendText(Irc::Cap("END"));
}

void CZoServerCaps::SendText(const std::string& line) {
  if (sendLine_) sendLine_(line.c_str());
}
