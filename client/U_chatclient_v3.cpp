// What the modern server set adds to the conversation: the user's own lines
// shown once, as the server repeats them (echo-message), and a refused one
// named; history replayed muted before live lines and fetched again after a
// reconnect; a netsplit or netjoin told in one line per channel; friends
// coming and going (MONITOR); replies in the window that asked for them
// (labeled-response); invites to others shown to operators.
#include "C_analirc.h"
#include "C_batches.h"
#include "C_channel.h"
#include "U_chatclient.h"
#include "U_commondata.h"
#include "U_ircline.h"
#include "U_render.h"

#include <utility>

namespace {

constexpr int kHistoryDueMs = 10000;

}  // namespace

bool TChatClient::IsOwn(const char* nick) const { return ZoSameName(nick, IRC.Nick().c_str()); }

bool TChatClient::Echoing() const { return IRC.CapEnabled("echo-message"); }

bool TChatClient::WindowOpen(const std::string& target) const {
  return view_->IsOpen(IsChannelName(target.c_str()) ? TFrontKind::Channel : TFrontKind::Query, target);
}

// With echo-message a line the server refuses was never said: the page hears
// of it when the server repeats it.
void TChatClient::ShowSent(const std::string& wire, const std::optional<TOutLine>& echo) {
  if (Echoing() && IsRepeatedLine(wire)) return echoes_.Sent(wire);
  Write(echo);
  feed_.Sent(wire, datas_.Nick);
}

bool TChatClient::ShowMessage(const char* target, std::optional<TOutLine> line) {
  const stIRC& record = IRC.CurrentLine();
  const bool channel = IsChannelName(target);
  if (IsOwn(record.nick) && !record.history)
    if (const std::optional<std::string> sent = echoes_.Echoed(target)) feed_.Sent(*sent, datas_.Nick);
  if (!record.history) {
    Write(line);
  } else if (line && !(channel && history_.Shown(target, record))) {
    Write(AsHistory(std::move(*line), record.time));
  }
  if (channel) history_.Seen(target, record);
  return !record.history;
}

std::optional<TOutLine> TChatClient::CtcpLine(const stCTCP& ctcp, const char* target, bool own) const {
  const bool action = ZoSameName(ctcp.ctcp, "ACTION");
  if (action && (own || IRC.CurrentLine().history))
    return RenderAction(target, ctcp.params, ctcp.nick, WindowOpen(target));
  if (own) return RenderOwnCtcp(target, ctcp.params[0] ? std::string(ctcp.ctcp) + " " + ctcp.params : ctcp.ctcp);
  return RenderCtcp(ctcp);
}

bool TChatClient::InBatch(const char* type) const {
  for (const ZoBatch* batch = IRC.CurrentLine().batch; batch; batch = batch->parent)
    if (batch->type == type) return true;
  return false;
}

void TChatClient::BatchEnded(const ZoBatch& batch) {
  ShowLines(RenderBatch(batch));
  if (batch.history && !batch.params.empty()) ShowLines(history_.Release(batch.params[0].c_str()));
}

// Only a server that marks its replies as batches can say where history ends.
void TChatClient::FetchHistory(const char* channel) {
  if (!IRC.CapEnabled("batch")) return;
  const std::string request = history_.Request(channel, datas_.HistoryLines, IRC.HistoryLimit(), IRC.HistoryByMsgid());
  if (request.empty()) return;
  Send(request);
  historyDue_.start(kHistoryDueMs);
}

void TChatClient::ShowLines(const std::vector<TOutLine>& lines) {
  for (const TOutLine& line : lines) Write(line);
}

bool TChatClient::ShowRefusal(int code, const stIRC& record) {
  if (code < 400 || code >= 600 || !Echoing()) return false;
  const std::string target = ZoParam(record, 1);
  const std::optional<std::string> text = echoes_.Refused(target.c_str());
  if (!text) return false;
  const std::string reason = std::string(record.command) + " " + ZoParam(record, record.paramCount - 1u);
  Write(RenderRefused(target, *text, reason.c_str(), WindowOpen(target)));
  return true;
}

void TChatClient::ShowFriend(int numeric, const stIRC& record) {
  for (const std::string& nick : ZoMonitorNicks(record)) {
    Write(RenderFriend(numeric, nick, false));
    if (view_->IsOpen(TFrontKind::Query, nick)) Write(RenderFriend(numeric, nick, true));
  }
}

void TChatClient::WatchFriends() {
  if (std::exchange(friendsWatched_, true) || friends_.Nicks().empty()) return;
  const int limit = IRC.MonitorLimit();
  if (limit == 0) return Write(RenderFriendsRefused(0, friends_.Nicks()));
  const TFriends::TChange change = friends_.Watch(limit);
  for (const std::string& line : change.lines) Send(line);
  if (!change.refused.empty()) Write(RenderFriendsRefused(limit, change.refused));
}

// Before logon the list only changes: the logon tells the server.
void TChatClient::ChangeFriends(const std::string& change) {
  if (change.empty()) return Write(RenderFriendList(friends_.Nicks()));
  const bool live = friendsWatched_;
  const int limit = live ? IRC.MonitorLimit() : -1;
  if (limit == 0) return Write(RenderFriendsRefused(0, {}));
  const TFriends::TChange changed = friends_.Change(change, limit);
  if (live)
    for (const std::string& line : changed.lines) Send(line);
  if (!changed.refused.empty()) Write(RenderFriendsRefused(limit, changed.refused));
}

std::string TChatClient::Labeled(const std::string& wire) {
  if (!view_ || !RepliesToAsker(wire) || !IRC.CapEnabled("labeled-response")) return wire;
  return Irc::Labeled(labels_.Ask(view_->InputFront()), wire);
}

// A window closed since keeps the line in front.
void TChatClient::ToAsker(TOutLine& line) const {
  const TFront* asker = labels_.Asker(IRC.CurrentLine());
  if (!asker) return;
  switch (asker->kind) {
    case TFrontKind::None:
      line.where = TOutTarget::Status;
      return;
    case TFrontKind::Channel:
    case TFrontKind::Query:
      if (!view_->IsOpen(asker->kind, asker->name)) return;
      line.where = asker->kind == TFrontKind::Channel ? TOutTarget::Channel : TOutTarget::Query;
      line.name = asker->name;
      return;
    case TFrontKind::Chat:
      if (view_->ChatPeer(asker->chatId).empty()) return;
      line.where = TOutTarget::Chat;
      line.chat = asker->chatId;
      return;
  }
}

void TChatClient::ShowOthersInvite(const stIRC& record) {
  const char* invitee = ZoParam(record, 0);
  const char* channel = ZoParam(record, 1);
  if (record.history || IsOwn(invitee) || !view_->IsOpen(TFrontKind::Channel, channel)) return;
  if (IsChannelOperator(channel)) Write(RenderOthersInvite(channel, record.nick, invitee));
}

bool TChatClient::IsChannelOperator(const char* channel) const {
  CZoChannel* found = IRC.FindChan(channel);
  const __stZoUserList* own = found ? found->FindMember(IRC.Nick().c_str()) : nullptr;
  return own && IRC.SessionData().Ranks().AtLeastHalfop(own->modes.str());
}
