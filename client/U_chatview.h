// What the chat client asks of what the user sees: lines into windows, windows
// opened and closed, member lists, transfers, and the questions put to the
// person. The window layer answers it; tests answer it without widgets.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "U_file.h"
#include "U_input.h"
#include "U_membernews.h"
#include "U_questions.h"

struct TOutLine;

// A file transfer as its progress window first shows it.
struct TTransferShown {
  int seqnum = -1;
  bool receiving = false;
  std::string nick;
  std::string fileName;
  uint64_t size = 0;
  // Where a resumed receive starts; a send learns it from its first acknowledgement.
  uint64_t sessionStart = 0;
};

class IChatView {
 public:
  virtual ~IChatView() = default;

  // The one way a line reaches a pane: to the window or windows its target
  // names, a private window opened when missing.
  virtual void Write(const TOutLine& line) = 0;

  // --- windows ---
  virtual TFront InputFront() const = 0;
  // The window the control lives in is the one the user works in.
  virtual bool HostActive() const = 0;
  // Asks the window manager to draw the user to the host window.
  virtual void Alert() = 0;
  // Whether a window of that kind and name (any letter case) is open.
  virtual bool IsOpen(TFrontKind kind, const std::string& name) const = 0;
  // How many private windows are open.
  virtual int OpenQueries() const = 0;
  virtual std::vector<std::string> OpenChannels() const = 0;
  virtual void OpenChannel(const std::string& name) = 0;
  // The channel is left already: its window closes without a PART.
  virtual void CloseChannel(const std::string& name) = 0;
  virtual void ActivateChannel(const std::string& name) = 0;
  // Opened when missing and brought to the front.
  virtual void ShowQuery(const std::string& nick) = 0;
  virtual void OpenChat(int chatId, const std::string& nick) = 0;
  // The peer of the direct chat's window; empty when it has none.
  virtual std::string ChatPeer(int chatId) const = 0;
  virtual void ShowOwnNick(const std::string& nick) = 0;

  // The user's own away state as the server marked it.
  virtual void ShowOwnAway(bool away) = 0;

  // --- members and channel state ---
  // The member list of the channel's window, told of the engine's member
  // news; null when the channel has no window.
  virtual IZoMemberNews* MemberList(const std::string& channel) = 0;
  // Renamed windows: queries and direct chats with that peer.
  virtual void NickChanged(const std::string& oldNick, const std::string& newNick) = 0;
  // The engine's topic or modes of the channel changed.
  virtual void ChannelChanged(const std::string& channel) = 0;

  // --- the channel listing, the message of the day, the channel dialog ---
  // 321 start, 322 row, 323 end; 0: the listing will not be finished.
  virtual void ListReply(int numeric, const char* channel, int users, const char* topic) = 0;
  virtual void OpenMotd() = 0;
  virtual void AddMotdLine(const char* text) = 0;
  // True when an open channel dialog asked for this topic and took it.
  virtual bool TopicAnswered(const std::string& channel, const std::string& topic) = 0;
  virtual void ModesAnswered(const std::string& channel) = 0;

  // --- file transfers ---
  virtual void OpenTransfer(const TTransferShown& transfer) = 0;
  // A receive's file name differs from the offered one when another receive wrote it first.
  virtual void TransferConnected(int seqnum, bool receiving, const std::string& fileName) = 0;
  virtual void TransferProgress(int seqnum, bool receiving, uint64_t position) = 0;
  virtual void TransferEnded(int seqnum, bool receiving, bool success) = 0;
  virtual void CloseTransfer(int seqnum, bool receiving) = 0;

  // --- questions: each runs its own loop, and the client may be gone when it returns ---
  virtual void Tell(const std::string& text) = 0;
  virtual void AskNick() = 0;
  // The channel's key as typed; empty when none was given.
  virtual std::string AskKey(const std::string& channel) = 0;
  virtual bool AskChat(const std::string& nick) = 0;
  // Whether to trust from now on the certificate `host` showed (its SHA-256).
  virtual bool AskTrust(const std::string& host, const std::string& fingerprint) = 0;
  // The file to receive into, or kNoFile; `stillOpen` turns false once the offer expired.
  virtual FileHandle AskSaveFile(const TQuestion& offer, const std::function<bool()>& stillOpen) = 0;
  // The question being asked expired: its dialogs close unanswered.
  virtual void CancelQuestion() = 0;
};
