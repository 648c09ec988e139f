// A user seen in at least one of the owner's channels.
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

  int ChannelCount() const { return static_cast<int>(channels_.size()); }
  const std::vector<CZoChannel*>& Channels() const { return channels_; }
  // A channel is listed once, compared by name.
  void AddChannel(CZoChannel* channel);
  void RemoveChannel(const char* name);

 private:
  ZoString nick_;
  ZoString host_;
  std::vector<CZoChannel*> channels_;  // not owned
};
