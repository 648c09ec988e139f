#include "C_dccchat.h"

#include <cstring>

#include "C_socket.h"
#include "U_dcclink.h"

CZoDCCChatItem::CZoDCCChatItem(int seqnum, CZoDCCChats* table)
    : CZoSeqnumItem(seqnum), table_(table), framer_(kBufferSize) {}

CZoDCCChatItem::~CZoDCCChatItem() { Close(); }

uint16_t CZoDCCChatItem::Listen() {
  listen_ = std::make_unique<CZoServerSocket>();
  listen_->OnAccept = [this](CZoServerSocket* server) {
    BusyScope busy(this);
    Attach(server->Connection());
    Connected();
  };
  return ListenForPeer(listen_.get());
}

void CZoDCCChatItem::Connect(const char* addressText, uint16_t port) {
  connect_ = std::make_unique<CZoClientSocket>();
  Attach(connect_.get());
  connect_->OnConnect = [this](CZoClientSocket*) {
    BusyScope busy(this);
    Connected();
  };
  connect_->SetHostPort(addressText, port);
  connect_->Open();
}

void CZoDCCChatItem::Attach(CZoClientSocket* link) {
  AttachDCCLink(link, this, [this] { Readable(); }, [this] { Disconnected(); });
}

CZoClientSocket* CZoDCCChatItem::Link() const {
  if (connect_) return connect_.get();
  return listen_ ? listen_->Connection() : nullptr;
}

void CZoDCCChatItem::Connected() { ZoRaise(table_->Events().OnDCCChatConnect, Seqnum()); }

void CZoDCCChatItem::Disconnected() {
  Readable();  // what arrived with the close
  if (char* rest = closed_ ? nullptr : framer_.Rest()) Deliver(rest);
  if (closed_) return;
  SetFinished();
  ZoRaise(table_->Events().OnDCCChatDisconnect, Seqnum());
}

// Each line goes out without its line feed; a CR before it stays.
void CZoDCCChatItem::Deliver(char* line) {
  const size_t length = strlen(line);
  if (length > 0 && line[length - 1] == '\n') line[length - 1] = 0;
  ZoRaise(table_->Events().OnDCCChatMessage, Seqnum(), line);
}

void CZoDCCChatItem::Readable() {
  int32_t count;
  while (!closed_ && Link() &&
         (count = Link()->Receive(framer_.Space(), static_cast<int32_t>(framer_.SpaceLeft()))) > 0) {
    framer_.Add(static_cast<size_t>(count));
    for (char* line; !closed_ && (line = framer_.Next());) Deliver(line);
  }
}

void CZoDCCChatItem::Send(const char* text) {
  CZoClientSocket* link = Link();
  if (link && link->IsConnected() && text) link->Send(text, static_cast<int32_t>(strlen(text)));
}

bool CZoDCCChatItem::CloseActiveSocket() {
  if (listen_ && listen_->IsActive()) {
    listen_->Close();
    return true;
  }
  if (connect_ && connect_->IsOpen()) {
    connect_->Close();
    return true;
  }
  return false;
}

void CZoDCCChatItem::Close() {
  if (closed_) return;
  closed_ = true;
  if (CZoClientSocket* link = Link()) DetachDCCLink(link);
  if (listen_) listen_->OnAccept = nullptr;
  CloseActiveSocket();
}

CZoDCCChats::CZoDCCChats(CZoEvents& events, ZoSendLine sendLine, std::function<uint32_t()> localAddress)
    : events_(events), SendLine(std::move(sendLine)), LocalAddress(std::move(localAddress)) {}

CZoDCCChats::~CZoDCCChats() { DestroyAll(); }

int CZoDCCChats::SendChatRequest(const char* nick) {
  const int seqnum = NextSeqnum();
  auto item = std::make_unique<CZoDCCChatItem>(seqnum, this);
  CZoDCCChatItem* chat = item.get();
  Add(std::move(item));
  const uint32_t address = LocalAddress();
  const uint16_t port = chat->Listen();
  SendDCCOffer(SendLine, nick, "DCC CHAT chat %u %u", address, static_cast<unsigned>(port));
  return seqnum;
}

void CZoDCCChats::Offer(const char* nick, const char* addressText, uint16_t port) {
  if (!events_.OnDCCChat) return;
  const int seqnum = NextSeqnum();
  int accept = 0;
  events_.OnDCCChat(seqnum, nick, addressText, port, &accept);
  if (accept == kChatAskLater) {
    if (asked_.size() < kMaxAsked) asked_.push_back({seqnum, addressText, port});
    return;
  }
  if (accept) Start(seqnum, addressText, port);
}

bool CZoDCCChats::AcceptChat(int seqnum) {
  TAsked offer;
  if (!ZoTakeAsked(asked_, seqnum, &offer)) return false;
  Start(seqnum, offer.address.c_str(), offer.port);
  return true;
}

void CZoDCCChats::Start(int seqnum, const char* addressText, uint16_t port) {
  auto item = std::make_unique<CZoDCCChatItem>(seqnum, this);
  item->Connect(addressText, port);
  Add(std::move(item));
}

bool CZoDCCChats::SendChatMsg(int seqnum, const char* text) {
  auto* item = static_cast<CZoDCCChatItem*>(Find(seqnum));
  if (!item) return false;
  item->Send(text);
  return true;
}
