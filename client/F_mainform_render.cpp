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

void TMainForm::IRCPrivmsg(const char* sender, const char* target, const char* text) {
  Show(*subforms_, RenderChannelMessage(sender, target, text, IRC.Nick().c_str()));
}

void TMainForm::IRCNotice(const char* sender, const char* target, const char* text) {
  Show(*subforms_, RenderNotice(sender, target, text));
}

void TMainForm::IRCCTCP(__CTCPData* record) {
  if (record) Show(*subforms_, RenderCtcp(*record));
}

void TMainForm::IRCOwnerJoin(const char* channel) {
  TmChannel* form = subforms_->OpenChannel(channel);
  Send(Irc::Mode(channel ? channel : ""));
  form->UpdateCaption();
  ShowIn(form, RenderOwnerJoin(channel));
}

void TMainForm::IRCOtherJoin(const char* channel, const char* nick) { subforms_->UserJoined(channel, nick); }

void TMainForm::IRCOwnerPart(const char* channel, const char*) {
  TmChannel* form = subforms_->FindChannel(channel);
  if (!form) return;
  form->Parted = true;
  subforms_->CloseForm(form);
}

void TMainForm::IRCOtherPart(const char* channel, const char* nick, const char*) {
  TmChannel* form = subforms_->FindChannel(channel);
  if (!form) return;
  form->RemoveUser(nick);
  ShowIn(form, RenderOtherPart(channel, nick));
}

void TMainForm::IRCOtherQuit(const char* nick, const char*) { subforms_->UserQuit(nick); }

void TMainForm::IRCKick(const char* channel, const char* kicker, const char* victim, const char* reason) {
  TmChannel* form = subforms_->FindChannel(channel);
  const std::optional<TOutLine> line = RenderKick(channel, kicker, victim, reason, IRC.Nick().c_str());
  if (IsOwnKick(victim, IRC.Nick().c_str())) {
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
  form->RemoveUser(victim);
  ShowIn(form, line);
}

void TMainForm::IRCNick(const char* oldNick, const char* newNick) {
  subforms_->NickChanged(oldNick, newNick);
  if (!ZoSameName(oldNick, datas_.Nick.c_str())) return;
  datas_.Nick = newNick;
  lbNick->setText(DecodeDisplay(newNick));
}

void TMainForm::IRCInvite(const char* channel, const char* inviter) {
  Show(*subforms_, RenderInvite(channel, inviter));
}

void TMainForm::IRCMode(const char* target, const char* setter, const char* modes) {
  Show(*subforms_, RenderMode(target, setter, modes));
}

void TMainForm::IRCUserMode(const char* channel, const char* nick, const char*) {
  const CZoChannel* record = IRC.FindChan(channel);
  if (!record) return;
  ZoString entry;
  const char* shown = record->MemberDisplayName(nick, &entry);
  if (shown && *shown) subforms_->UserModeChanged(channel, nick, shown);
}

void TMainForm::IRCNMode(const char* channel, const char*) { subforms_->ChannelModesChanged(channel); }

void TMainForm::IRCTopic(const char* channel, const char* setter, const char* topic) {
  Show(*subforms_, RenderTopic(channel, setter, topic));
  subforms_->TopicChanged(channel, topic);
}

void TMainForm::IRCNames(const char* channel, const char* names) {
  if (names) subforms_->ReloadNames(channel);
}

void TMainForm::IRCWhois(const char*, int numeric, const char* sameText) {
  Show(*subforms_, RenderWhois(numeric, sameText));
}
