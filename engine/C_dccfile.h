// DCC file transfers: the table of files offered to others and the table of
// files received, with resume, each transfer named by its sequence number.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "U_commondata.h"
#include "U_engineevents.h"

class CZoStreamListener;
class CZoStreamSocket;
class CZoDCCSends;
class CZoDCCRecvs;
class QTimer;

// The sender sends the next block only once the receiver has acknowledged the
// whole block before, so no byte travels twice. Acknowledgements carry the
// position modulo 2^32; one beyond what was sent ends the send as failed.
// The file is read ahead in large pieces and the blocks served from memory.
// Raises the engine's events, which it finds through its table.
class CZoDCCSendItem : public CZoSeqnumItem {
 public:
  static constexpr uint32_t kBlockSize = 2048;
  static constexpr uint32_t kReadAhead = 1 << 20;

  CZoDCCSendItem(int seqnum, CZoDCCSends* table, const char* nick, const char* fileName, FileHandle file);
  ~CZoDCCSendItem() override;

  // Listens for the receiver; the chosen port, 0 when listening failed.
  uint16_t Listen();
  uint16_t Port() const;
  uint64_t Size() const { return size_; }
  const char* FileName() const { return fileName_.str(); }
  const char* Nick() const { return nick_.str(); }
  // Still waiting for the receiver to connect.
  bool Waiting() const;
  // Moves the start to `position`; false (and the send ends) when that fails.
  bool Resume(uint64_t position);
  void Close() override;
  bool CloseActiveSocket() override;

 private:
  void Connected(std::unique_ptr<CZoStreamSocket> link);
  void PeerLeft();
  // Takes acknowledgements and sends blocks for as long as the turn allows,
  // waiting for answers that come quickly.
  void Readable();
  // Reads what the receiver sent and acts on the latest acknowledgement; false
  // once the send has ended.
  bool TakeAcknowledgements();
  void Acknowledged(uint32_t ack);
  void SendBlock(uint64_t position);
  void End(uint64_t position, bool success);

  CZoDCCSends* table_;
  FileHandle file_;
  uint64_t size_;
  ZoString fileName_;
  ZoString nick_;
  std::unique_ptr<CZoStreamListener> listen_;
  std::unique_ptr<CZoStreamSocket> link_;
  std::vector<char> ahead_;  // the file from aheadStart_ on
  uint64_t aheadStart_ = 0;
  unsigned char ack_[4] = {};
  int ackLength_ = 0;
  uint64_t sentEnd_ = 0;
  uint64_t acked_ = 0;
  int unwaitedBlocks_ = 0;  // sent without waiting for their answer in the turn
  bool closed_ = false;
};

// Writes at most the offered size; a sender that goes on is a failed receive.
// A connection not made within the timeout (the wait for ACCEPT included)
// fails too, and a file that was empty and stayed empty is removed. Each
// readable turn is taken whole: one file write and one acknowledgement of the
// position reached. A receive that ends short of the offered size, reset by
// the peer included, fails and keeps what arrived for a resume. Raises the
// engine's events, which it finds through its table.
class CZoDCCRecvItem : public CZoSeqnumItem {
 public:
  static constexpr int64_t kTurnBytes = 1 << 20;

  CZoDCCRecvItem(int seqnum, CZoDCCRecvs* table, const char* nick, FileHandle file, uint64_t size,
                 const char* addressText, uint16_t port, int timeoutMs);
  ~CZoDCCRecvItem() override;

  void Connect();
  uint16_t Port() const;
  const char* Nick() const { return nick_.str(); }
  FileHandle File() const { return file_; }
  // Where the bytes go; empty when the path is not known.
  const std::string& Path() const { return path_; }
  // Not yet connected, and not ended.
  bool Pending() const;
  bool WaitingForAccept() const { return waitingForAccept_; }
  void SetWaitingForAccept() { waitingForAccept_ = true; }
  void Close() override;
  bool CloseActiveSocket() override;

 private:
  void Connected(bool made);
  // Reads what is there, up to kTurnBytes; whether the connection has ended.
  int64_t Take(bool* ended);
  void Readable();
  // Ends the transfer: the file is cut at the last byte written and closed.
  void End(bool success);

  CZoDCCRecvs* table_;
  ZoString nick_;
  FileHandle file_;
  uint64_t size_;
  uint64_t position_ = 0;
  std::string path_;
  bool wasEmpty_;
  ZoString address_;
  uint16_t port_;
  std::unique_ptr<CZoStreamSocket> connect_;
  std::vector<char> turn_;
  std::unique_ptr<QTimer> timeout_;
  bool waitingForAccept_ = false;
  bool connected_ = false;
  bool closed_ = false;
};

class CZoDCCSends : public CZoSeqnums {
 public:
  CZoDCCSends(CZoEvents& events, ZoSendLine sendLine, std::function<uint32_t()> localAddress);
  ~CZoDCCSends() override;

  // Offers the open file under `fileName` and takes over the handle; the send's number.
  int SendFile(const char* nick, const char* fileName, FileHandle file);
  bool CancelSend(int seqnum) { return Cancel(seqnum); }
  // A received RESUME for the send listening on `port`.
  void Resume(uint16_t port, uint64_t position);

  CZoEvents& Events() const { return events_; }

 private:
  CZoEvents& events_;
  ZoSendLine SendLine;
  std::function<uint32_t()> LocalAddress;
};

class CZoDCCRecvs : public CZoSeqnums {
 public:
  static constexpr int kConnectTimeoutMs = 60000;
  // Offers from one nick still waiting to connect; more are ignored.
  static constexpr int kMaxPendingPerPeer = 8;

  CZoDCCRecvs(CZoEvents& events, ZoSendLine sendLine);
  ~CZoDCCRecvs() override;

  // Offers waiting for their answer (kFileAskLater) at one time; further
  // ones are declined.
  static constexpr size_t kMaxAsked = 64;

  // A received SEND: asks OnSendRequest for a target file; a file that already
  // holds data is resumed through RESUME, an empty one is connected at once.
  // A target another receive is writing is swapped for a new file beside it.
  void Offer(const char* nick, const char* fileName, const char* addressText, uint16_t port, uint64_t size);
  // Answers an offer kept waiting as OnSendRequest would have; false (the handle
  // stays the caller's) when no offer waits under that number.
  bool AcceptRecv(int seqnum, FileHandle file);
  bool DeclineRecv(int seqnum) { return ZoTakeAsked<TAsked>(asked_, seqnum, nullptr); }
  // A received ACCEPT for the receive that asked to resume from `port`.
  void Accept(uint16_t port);
  // Ends a receive, or declines its offer while that waits for an answer.
  bool CancelRecv(int seqnum) { return Cancel(seqnum) || DeclineRecv(seqnum); }
  // The path a receive writes to; empty when unknown or no such receive.
  std::string RecvPath(int seqnum) const;
  void SetConnectTimeout(int ms) { connectTimeoutMs_ = ms; }

  CZoEvents& Events() const { return events_; }

 private:
  struct TAsked {
    int seqnum = 0;
    std::string nick;
    std::string fileName;
    std::string address;
    uint16_t port = 0;
    uint64_t size = 0;
  };

  int PendingFrom(const char* nick) const;
  // Takes the answer's file and connects, or asks to resume first.
  void Start(const TAsked& offer, FileHandle file);
  // A handle on a file no other receive is writing; kNoFile when none could be made.
  FileHandle Unshared(FileHandle file) const;

  CZoEvents& events_;
  ZoSendLine SendLine;
  int connectTimeoutMs_ = kConnectTimeoutMs;
  std::vector<TAsked> asked_;
};
