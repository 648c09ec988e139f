#include "C_servercaps.h"

#include "U_codepage.h"
#include "U_ircline.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <strings.h>

namespace {

// What this client can use; anything else the server offers is left alone.
constexpr const char* kWanted[] = {"multi-prefix", "sasl"};

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
  utf8_ = false;
  SendText(Irc::Cap("LS 302"));
}

bool CZoServerCaps::Handle(const stIRC& r) {
  const int numeric = atoi(r.command);
  if (numeric == 5) Supports(r);
  if (stage_ == Stage::Idle || stage_ == Stage::Done) return false;
  if (numeric == 1) {
    stage_ = Stage::Done;
  } else if (numeric == 421 && strcasecmp(ZoParam(r, 1), "CAP") == 0) {
    stage_ = Stage::Done;
    return true;
  } else if (strcasecmp(r.command, "CAP") == 0) {
    const char* verb = ZoParam(r, 1);
    if (strcasecmp(verb, "LS") == 0 && stage_ == Stage::Listing) Offered(r);
    if (strcasecmp(verb, "ACK") == 0 && stage_ == Stage::Requesting) Acknowledged(ZoParam(r, 2));
    if (strcasecmp(verb, "NAK") == 0 && stage_ == Stage::Requesting) End();
  } else if (strcasecmp(r.command, "AUTHENTICATE") == 0 && stage_ == Stage::LoggingIn) {
    Authenticate(ZoParam(r, 0));
  } else if (strcasecmp(r.command, "AUTHENTICATE") == 0 && stage_ == Stage::Answered) {
    AbortLogin();
  } else if (LoggingIn() && (numeric == 903 || IsSaslFailure(numeric))) {
    End();
  }
  return false;
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
  std::string wanted;
  for (const char* name : kWanted) {
    if (!ZoHasWord(offered_.c_str(), name)) continue;
    if (strcmp(name, "sasl") == 0 && account_.empty() && !external_) continue;
    wanted += wanted.empty() ? name : std::string(" ") + name;
  }
  offered_.clear();  // only what was requested matters from here on
  if (wanted.empty()) return End();
  stage_ = Stage::Requesting;
  requested_ = wanted;
  SendText(Irc::Cap("REQ :" + wanted));
}

// Only what was asked for counts: a server cannot switch on a login nobody set up.
void CZoServerCaps::Acknowledged(const char* caps) {
  if (!ZoHasWord(requested_.c_str(), "sasl") || !ZoHasWord(caps, "sasl")) return End();
  stage_ = Stage::LoggingIn;
  SendText(Irc::Authenticate(external_ ? "EXTERNAL" : "PLAIN"));
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
  for (size_t i = 1; i + 1 < r.paramCount; ++i)
    if (AnnouncesUtf8(ZoParam(r, i))) utf8_ = true;
}

void CZoServerCaps::End() {
  stage_ = Stage::Done;
  SendText(Irc::Cap("END"));
}

void CZoServerCaps::SendText(const std::string& line) {
  if (sendLine_) sendLine_(line.c_str());
}
