// The engine's events as the main window answers them: membership and the
// channel lines that go with it.
#include <QLabel>
#include <functional>

#include "F_mainform.h"
#include "F_mchannel.h"
#include "U_codepage.h"
#include "U_commondata.h"
#include "U_subforms.h"

namespace {

bool IsChannelName(const char* name) { return name && (name[0] == '#' || name[0] == '&'); }

}  // namespace

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
  IRC.OnDCCChat = std::bind_front(&TMainForm::IRCDCCChat, this);
  IRC.OnDCCChatConnect = std::bind_front(&TMainForm::IRCDCCChatConnect, this);
  IRC.OnDCCChatDisconnect = std::bind_front(&TMainForm::IRCDCCChatDisconnect, this);
  IRC.OnDCCChatMessage = std::bind_front(&TMainForm::IRCDCCChatMessage, this);
  IRC.OnSendReady = std::bind_front(&TMainForm::IRCSendReady, this);
  IRC.OnConnectForSend = std::bind_front(&TMainForm::IRCConnectForSend, this);
  IRC.OnSentPack = std::bind_front(&TMainForm::IRCSentPack, this);
  IRC.OnDisconnectSend = std::bind_front(&TMainForm::IRCDisconnectSend, this);
  IRC.OnSendRequest = std::bind_front(&TMainForm::IRCSendRequest, this);
  IRC.OnConnectRecv = std::bind_front(&TMainForm::IRCConnectRecv, this);
  IRC.OnRecvPack = std::bind_front(&TMainForm::IRCRecvPack, this);
  IRC.OnDisconnectRecv = std::bind_front(&TMainForm::IRCDisconnectRecv, this);
  IRC.OnIRC = std::bind_front(&TMainForm::IRCIRC, this);
  IRC.OnList = std::bind_front(&TMainForm::IRCList, this);
  IRC.OnNTopic = std::bind_front(&TMainForm::IRCNTopic, this);
}

void TMainForm::IRCPrivmsg(const char* Param1, const char* Param2, const char* Param3) {
  const std::string line = FormatText("<%s> %s", Param1, Param3);
  if (IsChannelName(Param2))
    subforms_->WriteChannel(Param2, line.c_str(), 5);
  else
    subforms_->WriteQuery(Param1, line.c_str());
}

void TMainForm::IRCNick(const char* Param1, const char* Param2) {
  subforms_->NickChanged(Param1, Param2);
  if (!ZoSameName(Param1, datas_.Nick.c_str())) return;
  datas_.Nick = Param2;
  lbNick->setText(DecodeDisplay(Param2));
}

void TMainForm::IRCOwnerJoin(const char* Line) {
  TmChannel* form = subforms_->OpenChannel(Line);
  Send(IrcLine("MODE", Line));
  form->UpdateCaption();
  form->AddLine(FormatText(Cp949Literal("◆ %s채널에서 대화합니다."), Line).c_str(), 8);
}

void TMainForm::IRCOtherJoin(const char* Param1, const char* Param2) { subforms_->UserJoined(Param1, Param2); }

void TMainForm::IRCOwnerPart(const char* Param1, const char*) {
  TmChannel* form = subforms_->FindChannel(Param1);
  if (!form) return;
  form->Parted = true;
  subforms_->CloseForm(form);
}

void TMainForm::IRCOtherPart(const char* Param1, const char* Param2, const char*) {
  TmChannel* form = subforms_->FindChannel(Param1);
  if (!form) return;
  form->RemoveUser(Param2);
  form->AddLine(FormatText(Cp949Literal("◆ %s채널의 %s님께서 퇴장하셨습니다"), Param1, Param2).c_str(), 9);
}

void TMainForm::IRCOtherQuit(const char* Param1, const char*) { subforms_->UserQuit(Param1); }

void TMainForm::IRCKick(const char* Param1, const char* Param2, const char* Param3, const char* Param4) {
  TmChannel* form = subforms_->FindChannel(Param1);
  if (ZoSameName(Param3, IRC.Nick().c_str())) {
    // Closed first, so the line does not vanish with the window when that
    // window was the one in front.
    if (form) {
      form->Parted = true;
      subforms_->CloseForm(form);
    }
    subforms_->WriteActive(
        FormatText(Cp949Literal("◆ %s채널에서 %s님께 쫓겨났습니다. (%s)"), Param1, Param2, Param4).c_str(), 10);
    return;
  }
  if (!form) return;
  form->RemoveUser(Param3);
  form->AddLine(FormatText(Cp949Literal("◆ %s님이 %s님께 쫓겨났습니다. (%s)"), Param3, Param2, Param4).c_str(), 10);
}

void TMainForm::IRCUserMode(const char* Param1, const char* Param2, const char*) {
  const CZoChannel* channel = IRC.FindChan(Param1);
  if (!channel) return;
  ZoString entry;
  const char* shown = channel->MemberDisplayName(Param2, &entry);
  if (shown && *shown) subforms_->UserModeChanged(Param1, Param2, shown);
}

void TMainForm::IRCNMode(const char* Param1, const char*) { subforms_->ChannelModesChanged(Param1); }

void TMainForm::IRCNames(const char* Param1, const char* Param2) {
  if (Param2) subforms_->ReloadNames(Param1);
}
