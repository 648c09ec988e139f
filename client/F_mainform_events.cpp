// The engine's events bound to the main window's handlers, one line each, and
// the channel-mode answer.
#include <QLabel>
#include <functional>

#include "F_mainform.h"
#include "F_mchannel.h"
#include "U_codepage.h"
#include "U_commondata.h"
#include "U_subforms.h"

void TMainForm::BindEngine() {
  IRC.OnConnect = std::bind_front(&TMainForm::IRCConnect, this);
  IRC.OnDisconnect = std::bind_front(&TMainForm::IRCDisconnect, this);
  IRC.OnIRCError = std::bind_front(&TMainForm::IRCIRCError, this);
  IRC.OnLogon = std::bind_front(&TMainForm::IRCLogon, this);
  IRC.OnPrivmsg = std::bind_front(&TMainForm::IRCPrivmsg, this);
  IRC.OnNick = std::bind_front(&TMainForm::IRCNick, this);
  IRC.OnOwnerJoin = std::bind_front(&TMainForm::IRCOwnerJoin, this);
  IRC.OnOtherJoin = std::bind_front(&TMainForm::IRCOtherJoin, this);
  IRC.OnOwnerPart = std::bind_front(&TMainForm::IRCOwnerPart, this);
  IRC.OnOtherPart = std::bind_front(&TMainForm::IRCOtherPart, this);
  IRC.OnOtherQuit = std::bind_front(&TMainForm::IRCOtherQuit, this);
  IRC.OnKick = std::bind_front(&TMainForm::IRCKick, this);
  IRC.OnUserMode = std::bind_front(&TMainForm::IRCUserMode, this);
  IRC.OnNMode = std::bind_front(&TMainForm::IRCNMode, this);
  IRC.OnChanMode = std::bind_front(&TMainForm::IRCChanMode, this);
  IRC.OnNames = std::bind_front(&TMainForm::IRCNames, this);
  IRC.OnNotice = std::bind_front(&TMainForm::IRCNotice, this);
  IRC.OnCTCP = std::bind_front(&TMainForm::IRCCTCP, this);
  IRC.OnInvite = std::bind_front(&TMainForm::IRCInvite, this);
  IRC.OnMode = std::bind_front(&TMainForm::IRCMode, this);
  IRC.OnTopic = std::bind_front(&TMainForm::IRCTopic, this);
  IRC.OnWhois = std::bind_front(&TMainForm::IRCWhois, this);
}

void TMainForm::IRCChanMode(const char* Param1, const char*) {
  if (IsChannelName(Param1)) subforms_->ChannelModesChanged(Param1);
}
