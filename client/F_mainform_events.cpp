// The engine's events bound to the main window's handlers, one line each.
#include "F_mainform.h"
#include "U_subforms.h"

namespace {

// Events that arrive while the window tears down (a cancelled transfer, a
// closing socket) find no manager and are dropped.
template <class... Args, class Handler>
void BindTo(std::function<void(Args...)>& event, TMainForm* form, const std::unique_ptr<CSubforms>& subforms,
            Handler handler) {
  event = [form, &subforms, handler](Args... args) {
    if (subforms) (form->*handler)(args...);
  };
}

}  // namespace

void TMainForm::BindEngine() {
  const auto bind = [this](auto& event, auto handler) { BindTo(event, this, subforms_, handler); };
  bind(IRC.OnConnect, &TMainForm::IRCConnect);
  bind(IRC.OnDisconnect, &TMainForm::IRCDisconnect);
  bind(IRC.OnIRCError, &TMainForm::IRCIRCError);
  bind(IRC.OnLogon, &TMainForm::IRCLogon);
  bind(IRC.OnPrivmsg, &TMainForm::IRCPrivmsg);
  bind(IRC.OnNick, &TMainForm::IRCNick);
  bind(IRC.OnOwnerJoin, &TMainForm::IRCOwnerJoin);
  bind(IRC.OnOtherJoin, &TMainForm::IRCOtherJoin);
  bind(IRC.OnOwnerPart, &TMainForm::IRCOwnerPart);
  bind(IRC.OnOtherPart, &TMainForm::IRCOtherPart);
  bind(IRC.OnOtherQuit, &TMainForm::IRCOtherQuit);
  bind(IRC.OnKick, &TMainForm::IRCKick);
  bind(IRC.OnUserMode, &TMainForm::IRCUserMode);
  bind(IRC.OnNMode, &TMainForm::IRCNMode);
  bind(IRC.OnChanMode, &TMainForm::IRCChanMode);
  bind(IRC.OnNames, &TMainForm::IRCNames);
  bind(IRC.OnDCCChat, &TMainForm::IRCDCCChat);
  bind(IRC.OnDCCChatConnect, &TMainForm::IRCDCCChatConnect);
  bind(IRC.OnDCCChatDisconnect, &TMainForm::IRCDCCChatDisconnect);
  bind(IRC.OnDCCChatMessage, &TMainForm::IRCDCCChatMessage);
  bind(IRC.OnSendReady, &TMainForm::IRCSendReady);
  bind(IRC.OnConnectForSend, &TMainForm::IRCConnectForSend);
  bind(IRC.OnSentPack, &TMainForm::IRCSentPack);
  bind(IRC.OnDisconnectSend, &TMainForm::IRCDisconnectSend);
  bind(IRC.OnSendRequest, &TMainForm::IRCSendRequest);
  bind(IRC.OnConnectRecv, &TMainForm::IRCConnectRecv);
  bind(IRC.OnRecvPack, &TMainForm::IRCRecvPack);
  bind(IRC.OnDisconnectRecv, &TMainForm::IRCDisconnectRecv);
  bind(IRC.OnIRC, &TMainForm::IRCIRC);
  bind(IRC.OnList, &TMainForm::IRCList);
  bind(IRC.OnNTopic, &TMainForm::IRCNTopic);
  bind(IRC.OnNotice, &TMainForm::IRCNotice);
  bind(IRC.OnCTCP, &TMainForm::IRCCTCP);
  bind(IRC.OnInvite, &TMainForm::IRCInvite);
  bind(IRC.OnMode, &TMainForm::IRCMode);
  bind(IRC.OnTopic, &TMainForm::IRCTopic);
  bind(IRC.OnWhois, &TMainForm::IRCWhois);
}
