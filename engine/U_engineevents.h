// The engine's events, declared once: the published ones in their published
// order, then the engine's own. CZoEvents holds them; the part named in a row
// raises its event on it directly. The chat client's handlers and velkocli's
// printer are expansions of the same table.
#pragma once

#include <cstdint>
#include <functional>
#include <utility>

#include "U_file.h"

struct __IRCData;
struct __CTCPData;
struct __DCCData;

// X(name, (parameters), part, window)
//   part: who raises it. Engine: the engine itself, on its connection's news;
//         IRC, CTCP, DCC: the analysers; Sends, Recvs, Chats: the DCC tables.
//   window: Win when the chat client handles it as IRC<name>
// Reply, the engine's own: a line the IRC analyser raises no other event for
// (numeric and standard replies, batch ends, others' invites ...), before
// OnIRC, so a line with an event of its own is not handled twice.
#define ZO_ENGINE_EVENTS(X)                                                                               \
  X(Line, (const char* line), Engine, NoWin)                                                              \
  X(Connect, (void* noUse), Engine, Win)                                                                  \
  X(Disconnect, (void* noUse), Engine, Win)                                                               \
  X(IRCError, (int* errorCode), Engine, Win)                                                              \
  X(IRC, (__IRCData * record), IRC, NoWin)                                                                \
  X(CTCP, (__CTCPData * record), CTCP, Win)                                                               \
  X(DCC, (__DCCData * record), DCC, NoWin)                                                                \
  X(AlreadyNick, (void* noUse), IRC, NoWin)                                                               \
  X(NoNick, (void* noUse), IRC, NoWin)                                                                    \
  X(Logon, (void* noUse), IRC, Win)                                                                       \
  X(Privmsg, (const char* sender, const char* target, const char* text), IRC, Win)                        \
  X(Notice, (const char* sender, const char* target, const char* text), IRC, Win)                         \
  X(Nick, (const char* oldNick, const char* newNick), IRC, Win)                                           \
  X(OwnerJoin, (const char* channel), IRC, Win)                                                           \
  X(OtherJoin, (const char* channel, const char* nick), IRC, Win)                                         \
  X(OwnerPart, (const char* channel, const char* message), IRC, Win)                                      \
  X(OtherPart, (const char* channel, const char* nick, const char* message), IRC, Win)                    \
  X(OwnerQuit, (const char* line), IRC, NoWin)                                                            \
  X(OtherQuit, (const char* nick, const char* message), IRC, Win)                                         \
  X(Kick, (const char* channel, const char* kicker, const char* victim, const char* reason), IRC, Win)    \
  X(NMode, (const char* channel, const char* modes), IRC, Win)                                            \
  X(NTopic, (const char* channel, const char* topic), IRC, Win)                                           \
  X(Topic, (const char* channel, const char* setter, const char* topic), IRC, Win)                        \
  X(Mode, (const char* target, const char* setter, const char* modes), IRC, Win)                          \
  X(UserMode, (const char* channel, const char* nick, const char* change), IRC, NoWin)                    \
  X(ChanMode, (const char* channel, const char* modes), IRC, Win)                                         \
  X(Ping, (void* noUse), IRC, NoWin)                                                                      \
  X(Invite, (const char* channel, const char* inviter), IRC, Win)                                         \
  X(List, (int numeric, const char* channel, const char* topic, int users), IRC, Win)                     \
  X(Names, (const char* channel, const char* names), IRC, NoWin)                                          \
  X(Whois, (const char* text, int numeric, const char* sameText), IRC, Win)                               \
  X(ConnectForSend, (int seqnum), Sends, Win)                                                             \
  X(SentPack, (int seqnum, uint32_t blockBytes, uint64_t sentEnd, uint64_t acked), Sends, Win)            \
  X(DisconnectSend, (int seqnum, bool success), Sends, Win)                                               \
  X(SendReady, (int seqnum, const char* nick, const char* fileName, uint64_t size), Sends, Win)           \
  X(SendRequest, (int seqnum, const char* nick, const char* fileName, uint64_t size, FileHandle* file),   \
    Recvs, Win)                                                                                           \
  X(ConnectRecv, (int seqnum), Recvs, Win)                                                                \
  X(DisconnectRecv, (int seqnum, bool success), Recvs, Win)                                               \
  X(RecvPack, (int seqnum, uint32_t blockBytes, uint64_t position), Recvs, Win)                           \
  X(DCCChat, (int seqnum, const char* nick, const char* address, int port, int* accept), Chats, Win)      \
  X(DCCChatConnect, (int seqnum), Chats, Win)                                                             \
  X(DCCChatDisconnect, (int seqnum), Chats, Win)                                                          \
  X(DCCChatMessage, (int seqnum, const char* text), Chats, Win)                                           \
  X(Reply, (__IRCData * record), IRC, Win)

// Column filters: ZO_<column>_<value>(code) keeps the code or drops it.
#define ZO_KEEP(...) __VA_ARGS__
#define ZO_DROP(...)
#define ZO_WINDOW_Win ZO_KEEP
#define ZO_WINDOW_NoWin ZO_DROP

// One published event as a member: On<name>.
#define ZO_EVENT_MEMBER(name, params, ...) std::function<void params> On##name;

// Raises an event when a receiver is set.
template <typename Event, typename... Args>
void ZoRaise(const Event& event, Args&&... args) {
  if (event) event(std::forward<Args>(args)...);
}

// The published events. Text arguments are valid only during the call. The
// engine derives from it; its parts raise on it directly.
class CZoEvents {
 public:
  CZoEvents() = default;
  virtual ~CZoEvents() = default;
  CZoEvents(const CZoEvents&) = delete;
  CZoEvents& operator=(const CZoEvents&) = delete;

  ZO_ENGINE_EVENTS(ZO_EVENT_MEMBER)

  // The two the IRC analyser raises through the engine, which changes its
  // own state first.
  virtual void atLogon(void* noUse) { ZoRaise(OnLogon, noUse); }
  virtual void atNick(const char* oldNick, const char* newNick) { ZoRaise(OnNick, oldNick, newNick); }
};

// What a handler of a file offer (the file handle) or of a chat offer (the
// accept flag) stores to answer later: the offer then waits in its table for
// the engine's accept or decline operation.
inline constexpr FileHandle kFileAskLater = -2;
inline constexpr int kChatAskLater = -1;

// How the parts send a line to the server.
using ZoSendLine = std::function<void(const char* text)>;
