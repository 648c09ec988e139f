// IRC commands and numeric replies: keeps the session data current, answers
// PING, raises one typed event per known message (OnReply for any other) and
// OnIRC for every record.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "U_analysis.h"
#include "U_engineevents.h"

class CZoData;

// The nicks a MONITOR reply (730 online, 731 offline) names, without their user@host.
std::vector<std::string> ZoMonitorNicks(const stIRC& record);

class CZoAnalIRC {
 public:
  CZoAnalIRC(CZoEvents& events, CZoData* data, ZoSendLine sendLine)
      : events_(events), data_(data), sendLine_(std::move(sendLine)) {}

  void Handle(stIRC* record);

 private:
  void Analyse(stIRC* record);
  // A typed event: the line is no reply.
  template <typename Event, typename... Args>
  void Raise(const Event& event, Args&&... args) {
    typed_ = true;
    ZoRaise(event, std::forward<Args>(args)...);
  }
  void HandleCommand(stIRC* r);
  void HandleNumeric(stIRC* r);
  void HandleJoin(stIRC* r);
  void HandlePart(stIRC* r);
  void HandleKick(stIRC* r);
  void HandleMode(stIRC* r);
  void HandlePing(stIRC* r);
  void HandleUserNews(stIRC* r);
  void NoteAccountTag(const stIRC& r);
  void NoteWhoisNews(const stIRC& r);
  void HandleList(stIRC* r);
  void HandleChannelModes(stIRC* r);
  void HandleTopicReply(stIRC* r, bool hasTopic);
  void HandleNames(stIRC* r);
  void HandleEndOfNames(stIRC* r);
  void ApplyModes(const char* target, const char* modeText);

  bool typed_ = false;  // the line being analysed raised a typed event
  bool isCommand_ = false;
  int32_t numeric_ = 0;
  char command_[32] = {};
  CZoEvents& events_;
  CZoData* data_;
  ZoSendLine sendLine_;
};
