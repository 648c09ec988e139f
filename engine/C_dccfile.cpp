#include "C_dccfile.h"

#include <arpa/inet.h>
#include <algorithm>
#include <chrono>
#include <QTimer>
#include <cstring>
#include <sched.h>
#include <unistd.h>

#include "C_socket.h"
#include "U_dcclink.h"

CZoDCCSendItem::CZoDCCSendItem(int seqnum, CZoDCCSends* table, const char* nick, const char* fileName,
                               FileHandle file)
    : CZoSeqnumItem(seqnum), table_(table), file_(file), size_(FileSize(file)), fileName_(fileName), nick_(nick) {}

CZoDCCSendItem::~CZoDCCSendItem() { Close(); }

uint16_t CZoDCCSendItem::Listen() {
  listen_ = std::make_unique<CZoStreamListener>();
  listen_->OnAccept = [this](std::unique_ptr<CZoStreamSocket> link) {
    BusyScope busy(this);
    Connected(std::move(link));
  };
  return ListenForPeer(listen_.get());
}

uint16_t CZoDCCSendItem::Port() const { return listen_ ? listen_->Port() : 0; }

bool CZoDCCSendItem::Waiting() const { return !closed_ && listen_ && !link_; }

bool CZoDCCSendItem::Resume(uint64_t position) {
  if (position > size_ || FileSeek(file_, static_cast<int64_t>(position), FileOrigin::Begin) != position) {
    Close();
    SetFinished();
    return false;
  }
  return true;
}

void CZoDCCSendItem::Connected(std::unique_ptr<CZoStreamSocket> link) {
  link_ = std::move(link);
  AttachDCCLink(link_.get(), this, [this] { Readable(); });
  ZoRaise(table_->Events().OnConnectForSend, Seqnum());
  if (closed_) return;
  const uint64_t position = FileTell(file_);
  sentEnd_ = acked_ = position;
  if (position < size_) {
    SendBlock(position);
  } else {
    End(position, position == size_);
  }
}

namespace {

using Clock = std::chrono::steady_clock;

// A peer on a fast link answers a block within microseconds: waiting for the
// answer here, yielding the processor meanwhile, saves the loop's sleep and
// wake-up per block. The rest of the client waits no longer than one turn,
// and a peer that is slow to answer is not waited for over the next blocks,
// so it costs next to no time.
constexpr auto kSendTurn = std::chrono::microseconds(50);
constexpr auto kAnswerWait = std::chrono::microseconds(30);
constexpr int kBlocksAfterSlowAnswer = 16;

}  // namespace

void CZoDCCSendItem::Readable() {
  const Clock::time_point start = Clock::now();
  Clock::time_point waitStart = start;
  uint64_t awaited = sentEnd_;
  while (TakeAcknowledgements() && sentEnd_ > acked_) {
    if (unwaitedBlocks_ > 0) {
      --unwaitedBlocks_;
      return;
    }
    const Clock::time_point now = Clock::now();
    if (sentEnd_ != awaited) {
      awaited = sentEnd_;
      waitStart = now;
    }
    if (now - waitStart >= kAnswerWait) {
      unwaitedBlocks_ = kBlocksAfterSlowAnswer;
      return;
    }
    if (now - start >= kSendTurn) return;
    // With few cores the receiver may be waiting for this very one.
    sched_yield();
  }
}

bool CZoDCCSendItem::TakeAcknowledgements() {
  char bytes[256];
  bool complete = false;
  uint32_t newest = 0;  // only the latest acknowledgement of a read counts
  int64_t got = 0;
  do {
    got = link_->Receive(bytes, sizeof bytes);
    for (int64_t i = 0; i < got; ++i) {
      ack_[ackLength_++] = static_cast<unsigned char>(bytes[i]);
      if (ackLength_ < 4) continue;
      uint32_t network;
      memcpy(&network, ack_, sizeof network);
      newest = ntohl(network);
      complete = true;
      ackLength_ = 0;
    }
  } while (got == static_cast<int64_t>(sizeof bytes));
  if (complete && !closed_) Acknowledged(newest);
  if (got == CZoStreamSocket::kEnded) PeerLeft();
  return !closed_;
}

void CZoDCCSendItem::Acknowledged(uint32_t ack) {
  // The acknowledged position is the one at most what was sent whose low 32
  // bits the receiver named; it must not fall behind an earlier one.
  const uint32_t behind = static_cast<uint32_t>(sentEnd_) - ack;
  if (behind > sentEnd_ - acked_) {
    End(acked_, false);
    return;
  }
  acked_ = sentEnd_ - behind;
  if (acked_ == size_) {
    End(acked_, true);
  } else if (acked_ == sentEnd_) {
    SendBlock(acked_);
  } else {
    // The receiver read the last block in pieces: progress only.
    ZoRaise(table_->Events().OnSentPack, Seqnum(), 0u, sentEnd_, acked_);
  }
}

void CZoDCCSendItem::SendBlock(uint64_t position) {
  if (position < aheadStart_ || position >= aheadStart_ + ahead_.size()) {
    ahead_.resize(kReadAhead);
    ahead_.resize(FileReadAt(file_, position, ahead_.data(), kReadAhead));
    aheadStart_ = position;
  }
  const uint32_t count = static_cast<uint32_t>(std::min<uint64_t>(kBlockSize, aheadStart_ + ahead_.size() - position));
  if (count == 0) {
    End(position, false);  // the file shrank or cannot be read
    return;
  }
  link_->Send(ahead_.data() + (position - aheadStart_), count);
  sentEnd_ = position + count;
  ZoRaise(table_->Events().OnSentPack, Seqnum(), count, sentEnd_, position);
}

void CZoDCCSendItem::End(uint64_t position, bool success) {
  ZoRaise(table_->Events().OnSentPack, Seqnum(), 0u, position, position);
  if (closed_) return;
  Close();
  SetFinished();
  ZoRaise(table_->Events().OnDisconnectSend, Seqnum(), success);
}

void CZoDCCSendItem::PeerLeft() {
  if (closed_) return;
  Close();
  SetFinished();
  ZoRaise(table_->Events().OnDisconnectSend, Seqnum(), false);
}

bool CZoDCCSendItem::CloseActiveSocket() {
  const bool active = (listen_ && listen_->IsListening()) || (link_ && link_->IsOpen());
  if (listen_) listen_->Close();
  if (link_) link_->Close();
  return active;
}

void CZoDCCSendItem::Close() {
  if (closed_) return;
  closed_ = true;
  CloseActiveSocket();
  ahead_ = {};
  FileClose(file_);
  file_ = kNoFile;
}

CZoDCCRecvItem::CZoDCCRecvItem(int seqnum, CZoDCCRecvs* table, const char* nick, FileHandle file, uint64_t size,
                               const char* addressText, uint16_t port, int timeoutMs)
    : CZoSeqnumItem(seqnum),
      table_(table),
      nick_(nick),
      file_(file),
      size_(size),
      path_(FilePath(file)),
      wasEmpty_(FileIsRegular(file) && FileSize(file) == 0),
      address_(addressText),
      port_(port),
      connect_(std::make_unique<CZoStreamSocket>()),
      timeout_(std::make_unique<QTimer>()) {
  AttachDCCLink(connect_.get(), this, [this] { Readable(); });
  connect_->OnConnect = [this](bool made) {
    BusyScope busy(this);
    Connected(made);
  };
  timeout_->setSingleShot(true);
  QObject::connect(timeout_.get(), &QTimer::timeout, [this] {
    BusyScope busy(this);
    if (!closed_) End(false);
  });
  timeout_->start(timeoutMs);
}

CZoDCCRecvItem::~CZoDCCRecvItem() { Close(); }

void CZoDCCRecvItem::Connect() {
  waitingForAccept_ = false;
  // A connect that cannot start ends the receive at once, from the loop.
  if (!connect_->Connect(address_.str(), port_)) timeout_->start(0);
}

void CZoDCCRecvItem::Connected(bool made) {
  if (!made) {
    timeout_->start(0);
    return;
  }
  connected_ = true;
  timeout_->stop();
  position_ = FileTell(file_);
  ZoRaise(table_->Events().OnConnectRecv, Seqnum());
}

uint16_t CZoDCCRecvItem::Port() const { return port_; }

int64_t CZoDCCRecvItem::Take(bool* ended) {
  if (turn_.empty()) turn_.resize(kTurnBytes);
  int64_t filled = 0;
  int64_t got = 0;
  do {
    const int64_t wanted = kTurnBytes - filled;
    got = connect_->Receive(turn_.data() + filled, wanted);
    if (got > 0) filled += got;
    if (got < wanted) break;  // drained for now, or ended
  } while (filled < kTurnBytes);
  *ended = got == CZoStreamSocket::kEnded;
  return filled;
}

void CZoDCCRecvItem::Readable() {
  if (closed_) return;
  bool ended = false;
  const int64_t count = Take(&ended);
  const uint64_t room = position_ < size_ ? size_ - position_ : 0;
  const uint32_t keep = static_cast<uint32_t>(std::min<uint64_t>(room, static_cast<uint64_t>(count)));
  if (FileWrite(file_, turn_.data(), keep) != keep) {
    End(false);  // the disk refused: better stop than drop bytes silently
    return;
  }
  position_ += keep;
  if (keep > 0) ZoRaise(table_->Events().OnRecvPack, Seqnum(), keep, position_);
  if (closed_) return;
  if (keep < count) {
    End(false);  // more than was offered
  } else if (ended) {
    End(position_ == size_);
  } else if (keep > 0) {
    const uint32_t ack = htonl(static_cast<uint32_t>(position_));
    connect_->Send(reinterpret_cast<const char*>(&ack), sizeof ack);
  }
}

bool CZoDCCRecvItem::Pending() const { return !closed_ && !connected_; }

void CZoDCCRecvItem::End(bool success) {
  const bool leftEmpty = wasEmpty_ && FileSize(file_) == 0;
  Close();
  if (!success && leftEmpty && !path_.empty()) unlink(path_.c_str());
  SetFinished();
  ZoRaise(table_->Events().OnDisconnectRecv, Seqnum(), success);
}

bool CZoDCCRecvItem::CloseActiveSocket() {
  if (!connect_->IsOpen()) return false;
  connect_->Close();
  return true;
}

void CZoDCCRecvItem::Close() {
  if (closed_) return;
  closed_ = true;
  waitingForAccept_ = false;
  timeout_->stop();
  CloseActiveSocket();
  turn_ = {};
  FileTruncate(file_);
  FileClose(file_);
  file_ = kNoFile;
}

CZoDCCSends::CZoDCCSends(CZoEvents& events, ZoSendLine sendLine, std::function<uint32_t()> localAddress)
    : events_(events), SendLine(std::move(sendLine)), LocalAddress(std::move(localAddress)) {}

CZoDCCSends::~CZoDCCSends() { DestroyAll(); }

int CZoDCCSends::SendFile(const char* nick, const char* fileName, FileHandle file) {
  const int seqnum = NextSeqnum();
  auto item = std::make_unique<CZoDCCSendItem>(seqnum, this, nick, fileName, file);
  CZoDCCSendItem* send = item.get();
  Add(std::move(item));
  const uint32_t address = LocalAddress();
  const uint16_t port = send->Listen();
  SendDCCOffer(SendLine, nick, "DCC SEND %s %u %u %llu", QuoteFileName(send->FileName()).c_str(), address,
               static_cast<unsigned>(port), static_cast<unsigned long long>(send->Size()));
  ZoRaise(events_.OnSendReady, seqnum, send->Nick(), send->FileName(), send->Size());
  return seqnum;
}

void CZoDCCSends::Resume(uint16_t port, uint64_t position) {
  for (int i = 0; i < Count(); ++i) {
    auto* send = static_cast<CZoDCCSendItem*>(At(i));
    if (!send->Waiting() || send->Port() != port) continue;
    if (send->Resume(position))
      SendDCCOffer(SendLine, send->Nick(), "DCC ACCEPT %s %u %llu", QuoteFileName(send->FileName()).c_str(),
                   static_cast<unsigned>(port), static_cast<unsigned long long>(position));
    return;
  }
}

CZoDCCRecvs::CZoDCCRecvs(CZoEvents& events, ZoSendLine sendLine)
    : events_(events), SendLine(std::move(sendLine)) {}

CZoDCCRecvs::~CZoDCCRecvs() { DestroyAll(); }

int CZoDCCRecvs::PendingFrom(const char* nick) const {
  int count = 0;
  for (int i = 0; i < Count(); ++i) {
    const auto* receive = static_cast<const CZoDCCRecvItem*>(At(i));
    if (receive->Pending() && ZoSameName(receive->Nick(), nick)) ++count;
  }
  for (const TAsked& offer : asked_) count += ZoSameName(offer.nick.c_str(), nick) ? 1 : 0;
  return count;
}

FileHandle CZoDCCRecvs::Unshared(FileHandle file) const {
  for (int i = 0; i < Count(); ++i) {
    const auto* receive = static_cast<const CZoDCCRecvItem*>(At(i));
    if (receive->Finished() || !FileSame(receive->File(), file)) continue;
    const std::string path = FilePath(file);
    FileClose(file);
    std::string created;
    return path.empty() ? kNoFile : FileCreateBeside(path, &created);
  }
  return file;
}

std::string CZoDCCRecvs::RecvPath(int seqnum) const {
  const auto* receive = static_cast<const CZoDCCRecvItem*>(Find(seqnum));
  return receive ? receive->Path() : "";
}

void CZoDCCRecvs::Offer(const char* nick, const char* fileName, const char* addressText, uint16_t port,
                        uint64_t size) {
  if (!events_.OnSendRequest || PendingFrom(nick) >= kMaxPendingPerPeer) return;
  TAsked offer{NextSeqnum(), nick, fileName, addressText, port, size};
  FileHandle file = kNoFile;
  events_.OnSendRequest(offer.seqnum, nick, fileName, size, &file);
  if (file == kFileAskLater) {
    if (asked_.size() < kMaxAsked) asked_.push_back(std::move(offer));
    return;
  }
  if (file != kNoFile) Start(offer, file);
}

bool CZoDCCRecvs::AcceptRecv(int seqnum, FileHandle file) {
  TAsked offer;
  if (file == kNoFile || !ZoTakeAsked(asked_, seqnum, &offer)) return false;
  Start(offer, file);
  return true;
}

void CZoDCCRecvs::Start(const TAsked& offer, FileHandle file) {
  file = Unshared(file);
  if (file == kNoFile) {
    ZoRaise(events_.OnDisconnectRecv, offer.seqnum, false);
    return;
  }
  auto item = std::make_unique<CZoDCCRecvItem>(offer.seqnum, this, offer.nick.c_str(), file, offer.size,
                                               offer.address.c_str(), offer.port, connectTimeoutMs_);
  CZoDCCRecvItem* receive = item.get();
  Add(std::move(item));
  const uint64_t held = FileSize(file);
  if (held == 0) {
    receive->Connect();
    return;
  }
  FileSeek(file, 0, FileOrigin::End);
  receive->SetWaitingForAccept();
  SendDCCOffer(SendLine, offer.nick.c_str(), "DCC RESUME %s %u %llu", QuoteFileName(offer.fileName.c_str()).c_str(),
               static_cast<unsigned>(offer.port), static_cast<unsigned long long>(held));
}

void CZoDCCRecvs::Accept(uint16_t port) {
  for (int i = 0; i < Count(); ++i) {
    auto* receive = static_cast<CZoDCCRecvItem*>(At(i));
    if (!receive->WaitingForAccept() || receive->Port() != port) continue;
    receive->Connect();
    return;
  }
}
