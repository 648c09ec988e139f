// What the server offers beyond plain registration: capability negotiation
// (CAP LS 302 ... CAP END, never holding up a server that knows no CAP), SASL
// login (EXTERNAL with a client certificate, else PLAIN), and the charset the
// server announces, which sets the wire encoding. What a server can make it
// hold or send is bounded: the offered list, and one abort for a bad login.
#pragma once

#include <string>

#include "U_analysis.h"

// How text goes out: as the server announces (UTF-8, else CP949), or fixed.
enum class TWireCoding { Auto, Cp949, Utf8 };

class CZoServerCaps {
 public:
  explicit CZoServerCaps(ZoSendLine sendLine) : sendLine_(std::move(sendLine)) {}

  // An empty account logs in without SASL. Both are CP949 or UTF-8; the
  // login sends them in UTF-8 whatever the wire encoding.
  void SetLogin(const std::string& account, const std::string& password);
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

 private:
  void Offered(const stIRC& record);
  void Acknowledged(const char* caps);
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
