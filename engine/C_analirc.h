// IRC commands and numeric replies: keeps the session data current, answers
// PING, raises one typed event per known message and OnIRC for every record.
#pragma once

#include <cstdint>
#include <string>
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

  bool isCommand_ = false;
  int32_t numeric_ = 0;
  char command_[32] = {};
  CZoEvents& events_;
  CZoData* data_;
  ZoSendLine sendLine_;
};
