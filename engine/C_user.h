// A user seen in at least one of the owner's channels, with what the server
// tells of it.
#pragma once

#include <vector>

#include "U_commondata.h"

class CZoChannel;

class CZoUser {
 public:
  explicit CZoUser(const char* nick) : nick_(nick) {}

  const char* Nick() const { return nick_.str(); }
  void SetNick(const char* nick) { nick_ = nick; }
  const char* Host() const { return host_.str(); }
  // Most messages repeat the host already known: no copy then.
  void SetHost(const char* host) {
    if (!ZoSameBytes(host_.c_str(), host)) host_ = host;
  }

  // What the server tells beside the nick: user name, real name, the
  // account logged in to ("" for none known), and whether the user is away.
  const char* UserName() const { return userName_.str(); }
  void SetUserName(const char* userName) {
    if (!ZoSameBytes(userName_.c_str(), userName)) userName_ = userName;
  }
  const char* RealName() const { return realName_.str(); }
  void SetRealName(const char* realName) { realName_ = realName; }
  const char* Account() const { return account_.str(); }
  // "*" is the protocol's "logged out".
  void SetAccount(const char* account);
  bool Away() const { return away_; }
  const char* AwayMessage() const { return awayMessage_.str(); }
  // A null message: back again.
  void SetAway(const char* message);

  int ChannelCount() const { return static_cast<int>(channels_.size()); }
  const std::vector<CZoChannel*>& Channels() const { return channels_; }
  // A channel is listed once, compared by name.
  void AddChannel(CZoChannel* channel);
  void RemoveChannel(const char* name);

 private:
  ZoString nick_;
  ZoString host_;
  ZoString userName_;
  ZoString realName_;
  ZoString account_;
  ZoString awayMessage_;
  bool away_ = false;
  std::vector<CZoChannel*> channels_;  // not owned
};
