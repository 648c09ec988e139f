// The engine's conversation events as the user sees them: what each line
// says and where it goes is decided by U_render; these handlers hand the line
// to the view together with the window and member changes that go with it.
#include "C_channel.h"
#include "U_chatclient.h"
#include "U_codepage.h"
#include "U_commondata.h"
#include "U_desktopnotify.h"
#include "U_ircline.h"
#include "U_render.h"

void TChatClient::Heard(const char* sender, const char* target, const char* text, const char* kind, bool mention) {
  if (!feed_.Listening()) return;
  const bool channel = IsChannelName(target);
  const char* window = channel ? target : sender;
  feed_.Message(window, sender, text, kind, IsFront(channel ? TFrontKind::Channel : TFrontKind::Query, window),
                mention || !channel);
}

void TChatClient::Attend(const char* sender, const char* target, const char* text, bool mention) {
  const bool channel = IsChannelName(target);
  // Most of a flood names no one: it costs this test only.
  if ((channel && !mention) || ZoSameName(sender, IRC.Nick().c_str())) return;
  const char* window = channel ? target : sender;
  if (!notify_.Due({window, true, datas_.Notifications != 0, view_->HostActive()})) return;
  NotifyDesktop(DecodeDisplay(window), DecodeDisplay(sender) + QStringLiteral(": ") + DecodeDisplay(text));
  view_->Alert();
}

void TChatClient::IRCPrivmsg(const char* sender, const char* target, const char* text) {
  const bool own = IsOwn(sender);
  const bool live = ShowMessage(target, own ? RenderOwnLine(target, text, IRC.Nick(), WindowOpen(target))
                                            : RenderChannelMessage(sender, target, text, IRC.Nick().c_str()));
  if (!live || own) return;
  const bool mention = NamesNick(text, IRC.Nick().c_str());
  Attend(sender, target, text, mention);
  if (feed_.Listening()) Heard(sender, target, text, IsChannelName(target) ? "channel" : "private", mention);
}

void TChatClient::IRCNotice(const char* sender, const char* target, const char* text) {
  const bool own = IsOwn(sender);
  if (!ShowMessage(target, own ? RenderOwnNotice(target, text) : RenderNotice(sender, target, text)) || own) return;
  // A notice asks for no answer, nor for the reader's attention.
  feed_.Message(IsChannelName(target) ? target : sender, sender, text, "notice", true, false);
}

void TChatClient::IRCCTCP(__CTCPData* record) {
  if (!record) return;
  const char* target = record->channel[0] ? record->channel : record->target;
  const bool own = IsOwn(record->nick);
  if (!ShowMessage(target, CtcpLine(*record, target, own)) || own || !ZoSameName(record->ctcp, "ACTION")) return;
  const bool mention = NamesNick(record->params, IRC.Nick().c_str());
  Attend(record->nick, target, record->params, mention);
  Heard(record->nick, target, record->params, "action", mention);
}

void TChatClient::IRCOwnerJoin(const char* channel) {
  view_->OpenChannel(channel);
  Send(Irc::Mode(channel));
  Write(RenderOwnerJoin(channel));
  feed_.Joined(channel, IRC.Nick().c_str());
  FetchHistory(channel);
}

// A netjoin's or netsplit's members are told of in one line when it ends.
void TChatClient::IRCOtherJoin(const char* channel, const char* nick) {
  if (!InBatch("netjoin")) Write(RenderOtherJoin(channel, nick));
  feed_.Joined(channel, nick);
}

void TChatClient::IRCOwnerPart(const char* channel, const char* message) {
  history_.Forget(channel);
  view_->CloseChannel(channel);
  feed_.Left(channel, IRC.Nick().c_str(), message, "part");
}

void TChatClient::IRCOtherPart(const char* channel, const char* nick, const char* message) {
  if (!view_->IsOpen(TFrontKind::Channel, channel)) return;
  Write(RenderOtherPart(channel, nick));
  feed_.Left(channel, nick, message, "part");
}

// The line goes to every channel window whose list held the member.
void TChatClient::IRCOtherQuit(const char* nick, const char* message) {
  const std::vector<std::string> channels = members_.TakeQuitChannels(nick);
  if (!InBatch("netsplit"))
    for (const std::string& channel : channels) Write(RenderOtherQuit(channel.c_str(), nick));
  feed_.Left("", nick, message, "quit");
}

void TChatClient::IRCKick(const char* channel, const char* kicker, const char* victim, const char* reason) {
  feed_.Left(channel, victim, reason, "kick");
  const std::optional<TOutLine> line = RenderKick(channel, kicker, victim, reason, IRC.Nick().c_str());
  if (IsOwnKick(victim, IRC.Nick().c_str())) {
    // Closed first, so the line does not vanish with the window when that
    // window was the one in front.
    history_.Forget(channel);
    view_->CloseChannel(channel);
    return Write(line);
  }
  if (!view_->IsOpen(TFrontKind::Channel, channel)) return;
  Write(line);
}

// The engine's lists carry the new nick already; the peer's windows are
// renamed before the line goes to every window that knows it.
void TChatClient::IRCNick(const char* oldNick, const char* newNick) {
  view_->NickChanged(oldNick, newNick);
  Write(RenderNick(oldNick, newNick));
  feed_.Renamed(oldNick, newNick);
  if (!ZoSameName(oldNick, datas_.Nick.c_str())) return;
  datas_.Nick = newNick;
  view_->ShowOwnNick(newNick);
}

void TChatClient::IRCInvite(const char* channel, const char* inviter) { Write(RenderInvite(channel, inviter)); }

void TChatClient::IRCMode(const char* target, const char* setter, const char* modes) {
  Write(RenderMode(target, setter, modes));
}

void TChatClient::IRCNMode(const char* channel, const char*) { view_->ChannelChanged(channel); }

void TChatClient::IRCChanMode(const char* channel, const char*) {
  if (!IsChannelName(channel)) return;
  view_->ChannelChanged(channel);
  view_->ModesAnswered(channel);
}

void TChatClient::IRCTopic(const char* channel, const char* setter, const char* topic) {
  Write(RenderTopic(channel, setter, topic));
  view_->ChannelChanged(channel);
  feed_.Topic(channel, topic);
}

void TChatClient::IRCNTopic(const char* channel, const char* topic) {
  feed_.Topic(channel, topic);
  if (view_->TopicAnswered(channel, topic)) return;
  Write(RenderNTopic(channel, topic));
  view_->ChannelChanged(channel);
}

void TChatClient::IRCWhois(const char*, int numeric, const char* sameText) {
  Write(RenderWhois(numeric, sameText));
  labels_.Handled(IRC.CurrentLine());
}
