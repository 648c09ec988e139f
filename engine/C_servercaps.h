// What the server offers beyond plain registration: capability negotiation
// (CAP LS 302 ... CAP END, never holding up a server that knows no CAP, then
// CAP NEW and DEL during the session), SASL login (EXTERNAL with a client
// certificate, else PLAIN), and what 005 announces: the charset, which sets
// the wire encoding, and the MONITOR limit. What a server can make it hold or
// send is bounded: the offered list, and one abort for a bad login.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "U_analysis.h"

// How text goes out: as the server announces (UTF-8, else CP949), or fixed.
enum class TWireCoding { Auto, Cp949, Utf8 };

class CZoServerCaps {
 public:
  explicit CZoServerCaps(ZoSendLine sendLine) : sendLine_(std::move(sendLine)) {}

  // An empty account logs in without SASL. Both are CP949 or UTF-8; the
  // login sends them in UTF-8 whatever the wire encoding.
  void SetLogin(const std::string& account, const std::string& password);
  // Asks for echo-message too: for a host that shows the owner's lines when
  // the server repeats them, instead of at once. Off unless set.
  void SetEchoWanted(bool on) { echoWanted_ = on; }
  // The opening request, sent before the registration lines. `external`: the
  // connection presents a client certificate, which then logs in.
  void Start(bool external = false);
  // Takes the record's part in the negotiation; true when the record is the
  // negotiation's own and no one else needs it (a server's "unknown CAP").
  bool Handle(const stIRC& record);
  // Still negotiating: registration waits for it.
  bool Negotiating() const { return stage_ != Stage::Idle && stage_ != Stage::Done; }
  // Stops waiting for the server: registration goes on without what is missing.
  void GiveUp();

  // The server's 005 said UTF8ONLY or CHARSET=UTF-8 (in any letter case).
  bool Utf8Announced() const { return utf8_; }
  // The server acknowledged the capability and has not taken it back.
  bool Enabled(const char* name) const;
  const std::vector<std::string>& EnabledCaps() const { return enabled_; }
  // How many nicks MONITOR may watch: 0 when the server has no MONITOR, -1 without a limit.
  int MonitorLimit() const { return monitorLimit_; }
  // How many past lines one CHATHISTORY request may ask for: 0 when the
  // server keeps no history for clients, -1 without a limit.
  int HistoryLimit() const;
  // The server takes a line's msgid as a history reference (else only times).
  bool HistoryByMsgid() const { return historyByMsgid_; }

  // The server's sts policy value ("port=6697", "duration=86400,port=6697"),
  // each time it is offered.
  std::function<void(const char* policy)> OnPolicy;

 private:
  void Cap(const stIRC& record);
  void Offered(const stIRC& record);
  size_t Request(const char* offered);
  void Replied(const char* caps, bool acknowledged);
  void Enable(const char* caps);
  void Disable(const char* caps);
  void PolicyIn(const char* offered);
  void Authenticate(const char* challenge);
  void AbortLogin();
  bool LoggingIn() const { return stage_ == Stage::LoggingIn || stage_ == Stage::Answered; }
  void Supports(const stIRC& record);
  void End();
  void SendText(const std::string& line);

  // Answered: the credentials went out; only the outcome may follow.
  enum class Stage { Idle, Listing, Requesting, LoggingIn, Answered, Done };
  Stage stage_ = Stage::Idle;
  std::string offered_;
  size_t offeredCount_ = 0;
  std::string requested_;
  size_t unanswered_ = 0;  // REQ lines still waiting for their ACK or NAK
  bool saslGranted_ = false;
  std::vector<std::string> enabled_;
  int monitorLimit_ = 0;
  int historyLimit_ = 0;  // from 005; the capability alone means no limit
  bool historyByMsgid_ = true;
  bool echoWanted_ = false;
  std::string account_;
  std::string password_;
  bool utf8_ = false;
  bool external_ = false;
  ZoSendLine sendLine_;
};

// The base64 of `data`, as SASL sends it.
std::string ZoBase64(const std::string& data);
// True when the blank-separated `list` holds `name`, with or without a "=value".
bool ZoHasWord(const char* list, const char* name);
// The value of the first "name=value" in `list`; false when there is none.
bool ZoWordValue(const char* list, const char* name, std::string* value);
