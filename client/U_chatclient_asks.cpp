// What leads out of the output windows: replies that raise questions (full
// room, channel key, nick in use), the message of the day, the channel
// listing, and the peers' direct chats and file transfers with their offers.
#include <QMetaObject>
#include <QPointer>
#include <algorithm>
#include <cctype>
#include <cstring>

#include "U_chatclient.h"
#include "U_commondata.h"
#include "U_codepage.h"
#include "U_ircline.h"
#include "U_render.h"
#include "U_session.h"

namespace {

// The word up to the first blank or line end.
std::string FirstWord(const char* text) {
  const size_t length = text ? strcspn(text, " \r\n") : 0;
  return std::string(text ? text : "", length);
}

// The last part of a path.
std::string BaseName(const std::string& path) { return path.substr(path.rfind('/') + 1); }

}  // namespace

void TChatClient::IRCReply(__IRCData* record) {
  if (!record) return;
  ShowServerLine(record);
  labels_.Handled(*record);
}

void TChatClient::ShowServerLine(__IRCData* record) {
  if (record->endedBatch) BatchEnded(*record->endedBatch);
  Write(RenderStandardReply(*record));
  if (ZoSameName(record->command, "FAIL") && ZoSameName(ZoParam(*record, 0), "CHATHISTORY")) ReleaseHistory();
  if (ZoSameName(record->command, "INVITE")) ShowOthersInvite(*record);
  if (!isdigit(static_cast<unsigned char>(record->command[0]))) return;
  const int code = atoi(record->command);
  if (code == 730 || code == 731) return ShowFriend(code, *record);
  if (code == 376 || code == 422) WatchFriends();
  if (code == 421 && ZoSameName(ZoParam(*record, 1), "CHATHISTORY")) ReleaseHistory();
  if (!ShowRefusal(code, *record)) Write(RenderNumeric(record->command, record->rest));
  if (code >= 400 && code < 600) feed_.Error(code, record->rest);
  if (code == 471 || code == 475 || code == 433) AskReply(code, record->rest);
  if (code == 375) StartMotd();
  if (code == 372) AddMotdLine(record->rest);
  if (code == 305 || code == 306) {
    Write(RenderOwnAway(code == 306));
    view_->ShowOwnAway(code == 306);
  }
  if (code == 301) PeerAway(*record);
}

void TChatClient::PeerAway(const stIRC& record) {
  const char* nick = ZoParam(record, 1);
  const char* message = ZoParam(record, 2);
  // Every message to an away peer brings its 301 again.
  constexpr size_t kRemembered = 500;
  auto [at, added] = peerAway_.try_emplace(nick, message);
  if (!added && at->second == message) return;
  at->second = message;
  if (peerAway_.size() > kRemembered) peerAway_.clear();
  Write(RenderPeerAway(nick, message, view_->IsOpen(TFrontKind::Query, nick)));
}

// --- the message of the day and the listing ---

void TChatClient::StartMotd() {
  motdToStatus_ = motdShown_;
  if (motdToStatus_) return;
  view_->OpenMotd();
  motdShown_ = true;
}

void TChatClient::AddMotdLine(const char* rest) {
  // The text follows the reply's leading ":-"; some servers send the colon alone.
  const char* text = rest + (rest[0] == ':');
  text += text[0] == '-';
  if (motdToStatus_) return Write(RenderMotdLine(text));
  view_->AddMotdLine(text);
  motdShown_ = true;
}

void TChatClient::IRCList(int numeric, const char* channel, const char* topic, int users) {
  // Servers that send no start reply open the listing with its first row.
  if (numeric == 322 && !listing_) IRCList(321, nullptr, nullptr, 0);
  Write(RenderList(numeric));
  listing_ = numeric != 323;
  view_->ListReply(numeric, channel, users, topic);
}

void TChatClient::AbandonListing() {
  if (!listing_) return;
  listing_ = false;
  view_->ListReply(0, nullptr, 0, nullptr);
}

// --- questions ---

void TChatClient::AskReply(int code, const char* rest) {
  TQuestion question;
  question.kind = code == 471 ? TQuestionKind::FullRoom
                  : code == 475 ? TQuestionKind::ChannelKey
                                : TQuestionKind::NickInUse;
  question.channel = code == 475 ? FirstWord(rest) : std::string();
  // Refusals that find the queue full show their error line only.
  if (code != 475 || !question.channel.empty()) Ask(question);
}

TQuestions::TAdded TChatClient::Ask(const TQuestion& question) {
  const TQuestions::TAdded added = questions_.Add(question, TQuestions::Clock::now());
  if (added != TQuestions::TAdded::Queued) return added;
  ArmQuestionExpiry();
  // Asked from the event loop: a dialog's nested loop must not run inside the
  // engine's handling of the line.
  QMetaObject::invokeMethod(this, &TChatClient::AskWaiting, Qt::QueuedConnection);
  return added;
}

void TChatClient::AskWaiting() {
  QPointer<TChatClient> alive(this);
  // None while a question is being asked: that one asks for the rest in turn.
  while (view_) {
    const auto next = questions_.Next();
    if (!next) return;
    AskOne(next->id, next->question);
    if (!alive) return;
    questions_.Answered(next->id);
  }
}

void TChatClient::AskOne(uint64_t id, const TQuestion& question) {
  switch (question.kind) {
    case TQuestionKind::FullRoom: return view_->Tell(Cp949Literal("대화실 인원이 모두차서 입장할수 없습니다."));
    case TQuestionKind::NickInUse: return view_->AskNick();
    case TQuestionKind::FileOffer: return AskFileOffer(id, question);
    case TQuestionKind::ChatOffer: return AskChatOffer(id, question);
    case TQuestionKind::ChannelKey: return AskKey(question);
    case TQuestionKind::Certificate: return AskCertificate(question);
  }
}

// Trusting is pinning: the pin is kept at once, and the connection the
// certificate was refused for is made again.
void TChatClient::AskCertificate(const TQuestion& question) {
  QPointer<TChatClient> alive(this);
  const bool trusted = view_->AskTrust(question.address, question.fingerprint);
  if (!alive || !view_ || !trusted) return;
  datas_.TlsFingerprint = question.fingerprint;
  StoreSettings({{"TlsFingerprint", question.fingerprint}});
  IRC.SetTlsTrust(datas_.TlsFingerprint, datas_.TlsCaFile);
  Write(RenderCertificateTrusted(question.address.c_str()));
  session_->ConnectTo("");
}

void TChatClient::AskKey(const TQuestion& question) {
  QPointer<TChatClient> alive(this);
  const std::string answer = view_->AskKey(question.channel);
  // A key is one word: whatever follows a blank would become a further parameter.
  const std::string key = FirstWord(answer.c_str());
  if (alive && !key.empty()) Send(Irc::Join(question.channel, key));
}

void TChatClient::ExpireQuestions() {
  const auto asked = questions_.AskingId();
  for (const TQuestion& offer : questions_.Expire(TQuestions::Clock::now())) {
    if (offer.kind == TQuestionKind::FileOffer) IRC.DeclineRecv(offer.seqnum);
    if (offer.kind == TQuestionKind::ChatOffer) IRC.DeclineChat(offer.seqnum);
    Write(RenderOfferDropped(offer, TOfferDrop::Expired));
  }
  ArmQuestionExpiry();
  if (asked && !questions_.Open(*asked) && view_) view_->CancelQuestion();
}

void TChatClient::ArmQuestionExpiry() {
  const auto deadline = questions_.NextDeadline();
  if (!deadline) return questionExpiry_.stop();
  const auto wait = std::chrono::ceil<std::chrono::milliseconds>(*deadline - TQuestions::Clock::now());
  questionExpiry_.start(std::chrono::milliseconds(std::max<int64_t>(wait.count(), 0)));
}

bool TChatClient::QueueOffer(const TQuestion& offer) {
  if (Ask(offer) == TQuestions::TAdded::Queued) return true;
  Write(RenderOfferDropped(offer, TOfferDrop::TooMany));
  return false;
}

// --- direct chats ---

void TChatClient::StartChat(const std::string& nick) {
  const int chatId = IRC.SendChatRequest(nick.c_str());
  view_->OpenChat(chatId, nick);
  Write(RenderChatRequested(chatId, nick.c_str()));
}

void TChatClient::IRCDCCChat(int seqnum, const char* nick, const char* address, int port, int* accept) {
  // A number that already has a window is a repeated offer: left declined.
  if (!view_->ChatPeer(seqnum).empty()) return;
  if (datas_.DCCChatAutoAccept) {
    OpenOfferedChat(seqnum, nick, address, port);
    *accept = 1;
    return;
  }
  if (QueueOffer(TQuestion::ChatOffer(seqnum, nick, address, port))) *accept = kChatAskLater;
}

void TChatClient::OpenOfferedChat(int seqnum, const char* nick, const char* address, int port) {
  view_->OpenChat(seqnum, nick);
  Write(RenderChatConnecting(seqnum, nick, address, port));
}

void TChatClient::AskChatOffer(uint64_t id, const TQuestion& offer) {
  QPointer<TChatClient> alive(this);
  const bool accepted = view_->AskChat(offer.nick);
  // An offer that expired meanwhile is already declined.
  if (!alive || !view_ || !questions_.Open(id)) return;
  if (!accepted) {
    IRC.DeclineChat(offer.seqnum);
    return;
  }
  OpenOfferedChat(offer.seqnum, offer.nick.c_str(), offer.address.c_str(), offer.port);
  IRC.AcceptChat(offer.seqnum);
}

void TChatClient::IRCDCCChatConnect(int seqnum) { Write(RenderChatConnected(seqnum)); }
void TChatClient::IRCDCCChatDisconnect(int seqnum) { Write(RenderChatDisconnected(seqnum)); }
void TChatClient::IRCDCCChatMessage(int seqnum, const char* text) {
  const std::string peer = view_->ChatPeer(seqnum);
  if (!peer.empty()) Write(RenderChatMessage(seqnum, peer, text));
}

// --- file transfers ---

void TChatClient::IRCSendReady(int seqnum, const char* nick, const char* fileName, uint64_t size) {
  view_->OpenTransfer({seqnum, false, nick, fileName, size, 0});
}

void TChatClient::IRCConnectForSend(int seqnum) { view_->TransferConnected(seqnum, false, {}); }

void TChatClient::IRCSentPack(int seqnum, uint32_t, uint64_t, uint64_t acked) {
  view_->TransferProgress(seqnum, false, acked);
}

void TChatClient::IRCDisconnectSend(int seqnum, bool success) { view_->TransferEnded(seqnum, false, success); }

void TChatClient::IRCSendRequest(int seqnum, const char* nick, const char* fileName, uint64_t size,
                                 FileHandle* file) {
  if (QueueOffer(TQuestion::FileOffer(seqnum, nick, fileName, size))) *file = kFileAskLater;
}

void TChatClient::AskFileOffer(uint64_t id, const TQuestion& offer) {
  QPointer<TChatClient> alive(this);
  // An offer that expires while its dialog is open is already declined: the
  // answer then opens no file.
  const FileHandle file = view_->AskSaveFile(offer, [&] { return alive && questions_.Open(id); });
  if (!alive || !view_ || !questions_.Open(id)) {
    if (file != kNoFile) FileClose(file);
    return;
  }
  if (file == kNoFile) {
    IRC.DeclineRecv(offer.seqnum);
    return;
  }
  // The window comes first: the engine may report the end at once.
  view_->OpenTransfer({offer.seqnum, true, offer.nick, offer.fileName, offer.size, FileSize(file)});
  // The engine keeps a bounded number of offers waiting and may have let this one go.
  if (IRC.AcceptRecv(offer.seqnum, file)) return;
  FileClose(file);
  view_->CloseTransfer(offer.seqnum, true);
}

void TChatClient::IRCConnectRecv(int seqnum) {
  // A name another receive is writing gets a file beside it: shown as such.
  const std::string path = IRC.RecvFilePath(seqnum);
  view_->TransferConnected(seqnum, true, path.empty() ? std::string() : BaseName(path));
}

void TChatClient::IRCRecvPack(int seqnum, uint32_t, uint64_t position) {
  view_->TransferProgress(seqnum, true, position);
}

void TChatClient::IRCDisconnectRecv(int seqnum, bool success) { view_->TransferEnded(seqnum, true, success); }
