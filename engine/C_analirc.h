// IRC commands and numeric replies: keeps the session data current, answers
// PING, raises one typed event per known message and OnIRC for every record.
#pragma once

#include <cstdint>

#include "U_analysis.h"

class CZoData;

class CZoAnalIRC {
 public:
  CZoAnalIRC(CZoData* data, ZoSendLine sendLine) : data_(data), sendLine_(std::move(sendLine)) {}
  ~CZoAnalIRC() { sendLine_ = nullptr; }

  void Handle(stIRC* record);

  ZoIRCEvent OnIRC;
  ZoNotifyEvent OnAlreadyNick;
  ZoNotifyEvent OnNoNick;
  ZoNotifyEvent OnLogon;
  ZoText3Event OnPrivmsg;
  ZoText3Event OnNotice;
  ZoText2Event OnNick;
  ZoLineEvent OnOwnerJoin;
  ZoText2Event OnOtherJoin;
  ZoText2Event OnOwnerPart;
  ZoText3Event OnOtherPart;
  ZoLineEvent OnOwnerQuit;
  ZoText2Event OnOtherQuit;
  ZoText4Event OnKick;
  ZoText2Event OnNMode;
  ZoText2Event OnNTopic;
  ZoText3Event OnTopic;
  ZoText3Event OnMode;
  ZoText3Event OnUserMode;
  ZoText2Event OnChanMode;
  ZoNotifyEvent OnPing;
  ZoText2Event OnInvite;
  ZoListEvent OnList;
  ZoText2Event OnNames;
  ZoWhoisEvent OnWhois;

 private:
  void HandleCommand(stIRC* r);
  void HandleNumeric(stIRC* r);
  void HandleJoin(stIRC* r);
  void HandlePart(stIRC* r);
  void HandleKick(stIRC* r);
  void HandleMode(stIRC* r);
  void HandlePing(stIRC* r);
  void HandleList(stIRC* r);
  void HandleChannelModes(stIRC* r);
  void HandleTopicReply(stIRC* r, bool hasTopic);
  void HandleNames(stIRC* r);
  void HandleEndOfNames(stIRC* r);
  void ApplyModes(const char* target, const char* modeText);

  bool isCommand_ = false;
  int32_t numeric_ = 0;
  char command_[32] = {};
  CZoData* data_;
  ZoSendLine sendLine_;
};
