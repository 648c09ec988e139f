// The engine's published events, declared once, in their published order. The
// IRC analyser's callbacks, the engine's events and forwarders, the main
// window's handlers and velkocli's printer are all expansions of this table.
#pragma once

#include <cstdint>

#include "U_events.h"

// X(name, (parameters), part, part's callback, route, window)
//   part: Conn (server connection), IRC, CTCP, DCC (analysers), Sends, Recvs, Chats (DCC tables)
//   route: Pass raises the event unchanged; Own runs the engine's at<name> first;
//          Cut is Own with the writable line the analysis cuts
//   window: Win when the main window handles it as IRC<name>
#define ZO_ENGINE_EVENTS(X)                                                                                 \
  X(Line, (const char* line), Conn, Line, Cut, NoWin)                                                       \
  X(Connect, (void* noUse), Conn, Connect, Own, Win)                                                        \
  X(Disconnect, (void* noUse), Conn, Disconnect, Own, Win)                                                  \
  X(IRCError, (int* errorCode), Conn, Error, Own, Win)                                                      \
  X(IRC, (__IRCData * record), IRC, IRC, Pass, Win)                                                         \
  X(CTCP, (__CTCPData * record), CTCP, CTCP, Pass, Win)                                                     \
  X(DCC, (__DCCData * record), DCC, DCC, Pass, NoWin)                                                       \
  X(AlreadyNick, (void* noUse), IRC, AlreadyNick, Pass, NoWin)                                              \
  X(NoNick, (void* noUse), IRC, NoNick, Pass, NoWin)                                                        \
  X(Logon, (void* noUse), IRC, Logon, Own, Win)                                                             \
  X(Privmsg, (const char* sender, const char* target, const char* text), IRC, Privmsg, Pass, Win)           \
  X(Notice, (const char* sender, const char* target, const char* text), IRC, Notice, Pass, Win)             \
  X(Nick, (const char* oldNick, const char* newNick), IRC, Nick, Own, Win)                                  \
  X(OwnerJoin, (const char* channel), IRC, OwnerJoin, Pass, Win)                                            \
  X(OtherJoin, (const char* channel, const char* nick), IRC, OtherJoin, Pass, Win)                          \
  X(OwnerPart, (const char* channel, const char* message), IRC, OwnerPart, Pass, Win)                       \
  X(OtherPart, (const char* channel, const char* nick, const char* message), IRC, OtherPart, Pass, Win)     \
  X(OwnerQuit, (const char* line), IRC, OwnerQuit, Own, NoWin)                                              \
  X(OtherQuit, (const char* nick, const char* message), IRC, OtherQuit, Pass, Win)                          \
  X(Kick, (const char* channel, const char* kicker, const char* victim, const char* reason), IRC, Kick,     \
    Pass, Win)                                                                                              \
  X(NMode, (const char* channel, const char* modes), IRC, NMode, Pass, Win)                                 \
  X(NTopic, (const char* channel, const char* topic), IRC, NTopic, Pass, Win)                               \
  X(Topic, (const char* channel, const char* setter, const char* topic), IRC, Topic, Pass, Win)             \
  X(Mode, (const char* target, const char* setter, const char* modes), IRC, Mode, Pass, Win)               \
  X(UserMode, (const char* channel, const char* nick, const char* change), IRC, UserMode, Pass, Win)        \
  X(ChanMode, (const char* channel, const char* modes), IRC, ChanMode, Pass, Win)                           \
  X(Ping, (void* noUse), IRC, Ping, Pass, NoWin)                                                            \
  X(Invite, (const char* channel, const char* inviter), IRC, Invite, Pass, Win)                             \
  X(List, (int numeric, const char* channel, const char* topic, int users), IRC, List, Pass, Win)           \
  X(Names, (const char* channel, const char* names), IRC, Names, Pass, Win)                                 \
  X(Whois, (const char* text, int numeric, const char* sameText), IRC, Whois, Pass, Win)                    \
  X(ConnectForSend, (int seqnum), Sends, Connect, Pass, Win)                                                \
  X(SentPack, (int seqnum, uint32_t blockBytes, uint64_t sentEnd, uint64_t acked), Sends, SentPack, Pass,   \
    Win)                                                                                                    \
  X(DisconnectSend, (int seqnum, bool success), Sends, Disconnect, Pass, Win)                               \
  X(SendReady, (int seqnum, const char* nick, const char* fileName, uint64_t size), Sends, Ready, Pass, Win) \
  X(SendRequest, (int seqnum, const char* nick, const char* fileName, uint64_t size, FileHandle* file),     \
    Recvs, Request, Pass, Win)                                                                              \
  X(ConnectRecv, (int seqnum), Recvs, Connect, Pass, Win)                                                   \
  X(DisconnectRecv, (int seqnum, bool success), Recvs, Disconnect, Pass, Win)                               \
  X(RecvPack, (int seqnum, uint32_t blockBytes, uint64_t position), Recvs, RecvPack, Pass, Win)             \
  X(DCCChat, (int seqnum, const char* nick, const char* address, int port, int* accept), Chats, Offer,      \
    Pass, Win)                                                                                              \
  X(DCCChatConnect, (int seqnum), Chats, Connect, Pass, Win)                                                \
  X(DCCChatDisconnect, (int seqnum), Chats, Disconnect, Pass, Win)                                          \
  X(DCCChatMessage, (int seqnum, const char* text), Chats, Message, Pass, Win)

// Column filters: ZO_<column>_<value>(code) keeps the code or drops it.
#define ZO_KEEP(...) __VA_ARGS__
#define ZO_DROP(...)
#define ZO_WINDOW_Win ZO_KEEP
#define ZO_WINDOW_NoWin ZO_DROP
#define ZO_OWN_Own ZO_KEEP
#define ZO_OWN_Pass ZO_DROP
#define ZO_OWN_Cut ZO_DROP
#define ZO_FROM_IRC_IRC ZO_KEEP
#define ZO_FROM_IRC_Conn ZO_DROP
#define ZO_FROM_IRC_CTCP ZO_DROP
#define ZO_FROM_IRC_DCC ZO_DROP
#define ZO_FROM_IRC_Sends ZO_DROP
#define ZO_FROM_IRC_Recvs ZO_DROP
#define ZO_FROM_IRC_Chats ZO_DROP

// One published event as a member: On<name>.
#define ZO_EVENT_MEMBER(name, params, ...) std::function<void params> On##name;
