// The chat client apart from its windows: it owns the engine, the settings,
// the session, the questions, the paced sender, the chat logs and the
// aliases, handles every engine event the user sees, and reaches the windows
// only through IChatView.
#pragma once

#include <QObject>
#include <QString>
#include <QTimer>
#include <chrono>
#include <memory>
#include <string>
#include <utility>
#include <unordered_map>
#include <vector>

#include "C_datas.h"
#include "U_channelhistory.h"
#include "U_chatfeed.h"
#include "U_chatlog.h"
#include "U_chatview.h"
#include "U_echoes.h"
#include "U_friends.h"
#include "U_input.h"
#include "U_labels.h"
#include "U_memberroute.h"
#include "U_nameindex.h"
#include "U_notifyrules.h"
#include "U_questions.h"
#include "Zoengine.h"

class MCommandProcedure;
class TPacedSender;
class TSession;

class TChatClient : public QObject {
  Q_OBJECT

 public:
  explicit TChatClient(QObject* parent = nullptr);
  ~TChatClient() override;

  // Events reach the view only while one is set; the window sets none while
  // it tears down.
  void SetView(IChatView* view) { view_ = view; }

  TZoEngine& Engine() { return IRC; }
  const TZoEngine& Engine() const { return IRC; }
  CDatas& Settings() { return datas_; }
  TSession& Session() { return *session_; }
  // What a page hears; the control sets the listener.
  TChatFeed& Feed() { return feed_; }
  // The window in front has changed: its unread count starts again.
  void FrontSeen();

  void ApplyNick(const std::string& nick);
  // Values from the settings dialog, already checked: stored at once, the
  // connection's own taken at its next connect. A new nick goes to a logged-on
  // server as a request; its answer changes the nick.
  void ChangeSettings(const std::vector<std::pair<std::string, std::string>>& values);
  // The server the session uses, by setting name: the stored one, or the
  // one a page named. Values given to ChangeSettings that equal it name no
  // other server.
  std::vector<std::pair<std::string, std::string>> ServerInUse() const;
  void SetAutoJoinChannels(const char* list);
  const std::vector<std::string>& AutoJoin() const;
  // A connection the user asks for starts a new session.
  void ConnectTo(const char* server);
  // The user left the server on purpose: no reconnect until the next ConnectTo.
  void UserQuit();
  // How long a peer's offer waits for its answer before it is declined.
  void SetOfferLifetime(std::chrono::milliseconds lifetime) { questions_.SetOfferLifetime(lifetime); }

  // --- lines out ---
  // True when the line was handed to a live connection.
  bool Send(const std::string& line);
  // A raw line from the page; a QUIT ends the session.
  void SendRaw(const std::string& line);
  // A typed line, in the coding the server reads.
  void RunLine(const std::string& line);
  void RunAction(TLineAction action);
  // The page's lines wait their turn like typed ones.
  void Queue(std::string line);
  void Say(const TFront& window, const std::string& text) { RunAction(PlainText(text, window, datas_.Nick)); }
  void ShowQuery(const std::string& nick) { view_->ShowQuery(nick); }
  // The text as the wire takes it: UTF-8 on a UTF-8 server, else CP949.
  std::string WireText(const QString& text) const;
  // A page can call far faster than lines may go out (20 minutes' worth).
  static constexpr int kMaxWaitingInput = 600;
  // Private windows lines from peers open at most; the user may open any number.
  static constexpr int kPeerQueryCap = 50;
  // Lines typed or pasted that still wait their turn.
  int Waiting() const;
  // Esc stops a paste that is still going out line by line.
  void CancelSending();
  // A paste of several lines the user agreed to, to the window it was pasted in.
  void Paste(const std::vector<std::string_view>& lines, const TFront& front, bool joined);

  // A direct chat the user offers from the member menu.
  void StartChat(const std::string& nick);

  // A channel or private window's line, for the chat logs.
  void LogLine(const std::string& window, const std::string& line);
  bool Listing() const { return listing_; }
  // When mentions and private lines reach the desktop; tests set its clock.
  TNotifyRules& NotifyRules() { return notify_; }

 private:
  void BindEngine();
  // What the engine takes from the settings for its next connections: the
  // server, and the login, charset and trust.
  void ApplyServerSettings();
  void ApplyConnectionSettings();
  void RequestNick(const std::string& nick);
  // Lines shown while a received line is handled carry its time, and a
  // reply to a labeled command goes to the window that asked; a channel's
  // live lines wait while its history is on its way.
  void Write(std::optional<TOutLine> line);
  void Show(const TOutLine& line);
  // Any nick can send a private line, so lines would otherwise open windows
  // without end; past the cap they are shown in the status window instead.
  bool PastQueryCap(const TOutLine& line) const;
  void Rejoin();
  void ShowWindowHint();
  bool IsFront(TFrontKind kind, const char* name) const;
  // A message the page hears of; the window is the channel, else the sender.
  void Heard(const char* sender, const char* target, const char* text, const char* kind, bool mention);
  // A message that may ask for the user's attention on the desktop.
  void Attend(const char* sender, const char* target, const char* text, bool mention);

  // The engine's events the user sees, one handler each.
  void IRCConnect(void* noUse);
  void IRCDisconnect(void* noUse);
  void IRCIRCError(int* errorCode);
  void IRCReply(__IRCData* record);
  void ShowServerLine(__IRCData* record);
  void IRCCTCP(__CTCPData* record);
  void IRCLogon(void* noUse);
  void IRCPrivmsg(const char* sender, const char* target, const char* text);
  void IRCNotice(const char* sender, const char* target, const char* text);
  void IRCNick(const char* oldNick, const char* newNick);
  void IRCOwnerJoin(const char* channel);
  void IRCOtherJoin(const char* channel, const char* nick);
  void IRCOwnerPart(const char* channel, const char* message);
  void IRCOtherPart(const char* channel, const char* nick, const char* message);
  void IRCOtherQuit(const char* nick, const char* message);
  void IRCKick(const char* channel, const char* kicker, const char* victim, const char* reason);
  void IRCNMode(const char* channel, const char* modes);
  void IRCNTopic(const char* channel, const char* topic);
  void IRCTopic(const char* channel, const char* setter, const char* topic);
  void IRCMode(const char* target, const char* setter, const char* modes);
  void IRCChanMode(const char* channel, const char* modes);
  void IRCInvite(const char* channel, const char* inviter);
  void IRCList(int numeric, const char* channel, const char* topic, int users);
  void IRCWhois(const char* text, int numeric, const char* sameText);
  void IRCConnectForSend(int seqnum);
  void IRCSentPack(int seqnum, uint32_t blockBytes, uint64_t sentEnd, uint64_t acked);
  void IRCDisconnectSend(int seqnum, bool success);
  void IRCSendReady(int seqnum, const char* nick, const char* fileName, uint64_t size);
  void IRCSendRequest(int seqnum, const char* nick, const char* fileName, uint64_t size, FileHandle* file);
  void IRCConnectRecv(int seqnum);
  void IRCDisconnectRecv(int seqnum, bool success);
  void IRCRecvPack(int seqnum, uint32_t blockBytes, uint64_t position);
  void IRCDCCChat(int seqnum, const char* nick, const char* address, int port, int* accept);
  void IRCDCCChatConnect(int seqnum);
  void IRCDCCChatDisconnect(int seqnum);
  void IRCDCCChatMessage(int seqnum, const char* text);

  // What the modern server set adds (U_chatclient_v3.cpp): the user's own
  // lines as the server repeats them, replayed history, netsplits, friends.
  bool IsOwn(const char* nick) const;
  bool Echoing() const;
  // Whether the channel's or the partner's window is open.
  bool WindowOpen(const std::string& target) const;
  // The line as sent, shown and told to the page now, or with echo-message
  // when the server repeats it.
  void ShowSent(const std::string& wire, const std::optional<TOutLine>& echo);
  // A command whose replies go to the window that sent it is labeled.
  std::string Labeled(const std::string& wire);
  // A front-window line that answers a labeled command goes to its window.
  void ToAsker(TOutLine& line) const;
  // invite-notify: an invite of someone else, which operators hear of.
  void ShowOthersInvite(const stIRC& record);
  // The user ranks at halfop or above there, in the server's order.
  bool IsChannelOperator(const char* channel) const;
  // A message's line, live or replayed from history, and the channel's last
  // line seen; true when it was live.
  bool ShowMessage(const char* target, std::optional<TOutLine> line);
  std::optional<TOutLine> CtcpLine(const stCTCP& ctcp, const char* target, bool own) const;
  // The innermost batch of the line being handled, or one around it, is of that type.
  bool InBatch(const char* type) const;
  void BatchEnded(const ZoBatch& batch);
  void FetchHistory(const char* channel);
  void ShowLines(const std::vector<TOutLine>& lines);
  void ReleaseHistory() { ShowLines(history_.ReleaseAll()); }
  // A refused line of the user's, shown where it would have been; false when
  // the reply names no line still waiting for its echo.
  bool ShowRefusal(int code, const stIRC& record);
  void ShowFriend(int numeric, const stIRC& record);
  // Once the server has said what it supports (its 005 lines come before
  // the message of the day ends), it is told of the friends.
  void WatchFriends();
  void ChangeFriends(const std::string& change);

  // The session's first message of the day opens its viewer; later ones, as
  // after a reconnect, become status lines.
  void StartMotd();
  void AddMotdLine(const char* rest);
  // Ends a listing the server will not finish (the connection is gone).
  void AbandonListing();
  // 301: a peer's away message, told once while it stays the same.
  void PeerAway(const stIRC& record);

  // Questions are asked from the event loop, never inside the engine's own
  // event, and one at a time.
  void AskReply(int code, const char* rest);
  TQuestions::TAdded Ask(const TQuestion& question);
  void AskWaiting();
  void AskOne(uint64_t id, const TQuestion& question);
  void AskKey(const TQuestion& question);
  void AskFileOffer(uint64_t id, const TQuestion& offer);
  void AskChatOffer(uint64_t id, const TQuestion& offer);
  void AskCertificate(const TQuestion& question);
  // A peer's offer that cannot wait for its turn; true when it was queued.
  bool QueueOffer(const TQuestion& offer);
  void OpenOfferedChat(int seqnum, const char* nick, const char* address, int port);
  // Declines the offers nobody answered in time.
  void ExpireQuestions();
  void ArmQuestionExpiry();

  IChatView* view_ = nullptr;
  TZoEngine IRC;
  CDatas datas_;
  TChatLog chatLog_;
  TChatFeed feed_;
  std::unique_ptr<MCommandProcedure> alias_;
  TPacedSender* sender_;  // a child
  std::unique_ptr<TSession> session_;
  TQuestions questions_;
  TMemberRoute members_;
  // The away message last shown per peer.
  std::unordered_map<std::string, std::string, ZoFoldHash, ZoFoldEqual> peerAway_;
  TNotifyRules notify_;
  QTimer windowHint_;
  QTimer questionExpiry_;
  TPendingEchoes echoes_;
  TAskedLabels labels_;
  int64_t shownTime_ = 0;  // the time of the line the panes are being given
  TChannelHistory history_;
  TFriends friends_;
  bool friendsWatched_ = false;  // this connection's server has been told
  // A server that never answers a history request holds no lines for long.
  QTimer historyDue_;
  bool listing_ = false;
  bool queryCapNoted_ = false;  // the status window has told why private lines land there
  int inLine_ = 0;  // handlers running for a received line
  bool motdShown_ = false;     // the session's viewer has been opened
  bool motdToStatus_ = false;  // the message of the day under way goes to the status window
};
