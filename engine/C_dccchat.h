// DCC chats: offers made and accepted, lines sent, received bytes cut into
// lines, each chat named by its sequence number in this table.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "U_commondata.h"
#include "U_engineevents.h"
#include "U_lineframer.h"

class CZoClientSocket;
class CZoServerSocket;
class CZoDCCChats;

// Raises the engine's events, which it finds through its table.
class CZoDCCChatItem : public CZoSeqnumItem {
 public:
  static constexpr int32_t kBufferSize = 512;

  CZoDCCChatItem(int seqnum, CZoDCCChats* table);
  ~CZoDCCChatItem() override;

  // Listens for the peer; the chosen port, 0 when listening failed.
  uint16_t Listen();
  void Connect(const char* addressText, uint16_t port);
  // Sends the text unchanged on the live connection; nothing before it is up.
  void Send(const char* text);
  void Close() override;
  bool CloseActiveSocket() override;

 private:
  CZoClientSocket* Link() const;
  void Attach(CZoClientSocket* link);
  void Connected();
  void Disconnected();
  void Readable();
  void Deliver(char* line);

  CZoDCCChats* table_;
  std::unique_ptr<CZoServerSocket> listen_;
  std::unique_ptr<CZoClientSocket> connect_;
  CZoLineFramer framer_;
  bool closed_ = false;
};

class CZoDCCChats : public CZoSeqnums {
 public:
  CZoDCCChats(CZoEvents& events, ZoSendLine sendLine, std::function<uint32_t()> localAddress);
  ~CZoDCCChats() override;

  // Offers a chat to the nick and listens for it; the chat's number.
  int SendChatRequest(const char* nick);
  // Offers waiting for their answer (kChatAskLater) at one time; further
  // ones are declined.
  static constexpr size_t kMaxAsked = 64;

  // A received chat offer: asks OnDCCChat, connects when accepted.
  void Offer(const char* nick, const char* addressText, uint16_t port);
  // Answers an offer kept waiting: connects, or drops it; false when no
  // offer waits under that number.
  bool AcceptChat(int seqnum);
  bool DeclineChat(int seqnum) { return ZoTakeAsked<TAsked>(asked_, seqnum, nullptr); }
  bool SendChatMsg(int seqnum, const char* text);
  // Closes a chat, or declines its offer while that waits for an answer.
  bool CancelChat(int seqnum) { return Cancel(seqnum) || DeclineChat(seqnum); }

  CZoEvents& Events() const { return events_; }

 private:
  struct TAsked {
    int seqnum = 0;
    std::string address;
    uint16_t port = 0;
  };

  void Start(int seqnum, const char* addressText, uint16_t port);

  CZoEvents& events_;
  ZoSendLine SendLine;
  std::function<uint32_t()> LocalAddress;
  std::vector<TAsked> asked_;
};
