// The engine's conversation events as the main window shows them: what each
// line says and where it goes is decided by U_render; these handlers only
// route it and apply the membership and window changes that go with it.
#include <QLabel>
#include <functional>

#include "F_mainform.h"
#include "F_mchannel.h"
#include "U_codepage.h"
#include "U_commondata.h"
#include "U_ircline.h"
#include "U_render.h"
#include "U_subforms.h"

namespace {

void Show(CSubforms& subforms, const std::optional<TOutLine>& line) {
  if (line) subforms.Write(*line);
}

void ShowIn(TmABSRich* form, const std::optional<TOutLine>& line) {
  if (form && line) form->AddLine(line->text.c_str(), line->kind);
}

}  // namespace

void TMainForm::IRCPrivmsg(const char* Param1, const char* Param2, const char* Param3) {
  Show(*subforms_, RenderChannelMessage(Param1, Param2, Param3, IRC.Nick().c_str()));
}

void TMainForm::IRCNotice(const char* Param1, const char* Param2, const char* Param3) {
  Show(*subforms_, RenderNotice(Param1, Param2, Param3));
}

void TMainForm::IRCCTCP(__CTCPData* CTCPData) {
  if (CTCPData) Show(*subforms_, RenderCtcp(*CTCPData));
}

void TMainForm::IRCOwnerJoin(const char* Line) {
  TmChannel* form = subforms_->OpenChannel(Line);
  Send(Irc::Mode(Line ? Line : ""));
  form->UpdateCaption();
  ShowIn(form, RenderOwnerJoin(Line));
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
  ShowIn(form, RenderOtherPart(Param1, Param2));
}

void TMainForm::IRCOtherQuit(const char* Param1, const char*) { subforms_->UserQuit(Param1); }

void TMainForm::IRCKick(const char* Param1, const char* Param2, const char* Param3, const char* Param4) {
  TmChannel* form = subforms_->FindChannel(Param1);
  const std::optional<TOutLine> line = RenderKick(Param1, Param2, Param3, Param4, IRC.Nick().c_str());
  if (IsOwnKick(Param3, IRC.Nick().c_str())) {
    // Closed first, so the line does not vanish with the window when that
    // window was the one in front.
    if (form) {
      form->Parted = true;
      subforms_->CloseForm(form);
    }
    Show(*subforms_, line);
    return;
  }
  if (!form) return;
  form->RemoveUser(Param3);
  ShowIn(form, line);
}

void TMainForm::IRCNick(const char* Param1, const char* Param2) {
  subforms_->NickChanged(Param1, Param2);
  if (!ZoSameName(Param1, datas_.Nick.c_str())) return;
  datas_.Nick = Param2;
  lbNick->setText(DecodeDisplay(Param2));
}

void TMainForm::IRCInvite(const char* Param1, const char* Param2) {
  Show(*subforms_, RenderInvite(Param1, Param2));
}

void TMainForm::IRCMode(const char* Param1, const char* Param2, const char* Param3) {
  Show(*subforms_, RenderMode(Param1, Param2, Param3));
}

void TMainForm::IRCUserMode(const char* Param1, const char* Param2, const char*) {
  const CZoChannel* channel = IRC.FindChan(Param1);
  if (!channel) return;
  ZoString entry;
  const char* shown = channel->MemberDisplayName(Param2, &entry);
  if (shown && *shown) subforms_->UserModeChanged(Param1, Param2, shown);
}

void TMainForm::IRCNMode(const char* Param1, const char*) { subforms_->ChannelModesChanged(Param1); }

void TMainForm::IRCTopic(const char* Param1, const char* Param2, const char* Param3) {
  Show(*subforms_, RenderTopic(Param1, Param2, Param3));
  subforms_->TopicChanged(Param1, Param3);
}

void TMainForm::IRCNames(const char* Param1, const char* Param2) {
  if (Param2) subforms_->ReloadNames(Param1);
}

void TMainForm::IRCWhois(const char*, int iParam1, const char* Param2) {
  Show(*subforms_, RenderWhois(iParam1, Param2));
}
