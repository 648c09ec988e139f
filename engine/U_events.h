// Shapes of the callbacks of the engine's parts (CTCP and DCC analysers, DCC
// tables). Text arguments are valid only during the call.
#pragma once

#include <cstdint>
#include <functional>

#include "U_file.h"

struct __IRCData;
struct __CTCPData;
struct __DCCData;

// The parts' callbacks; each matches its published event's parameters.
using ZoCTCPEvent = std::function<void(__CTCPData* record)>;
using ZoDCCEvent = std::function<void(__DCCData* record)>;
using ZoSeqEvent = std::function<void(int seqnum)>;
using ZoSeqDoneEvent = std::function<void(int seqnum, bool success)>;
// File sizes and positions are 64-bit; block byte counts stay 32-bit.
using ZoSentPackEvent = std::function<void(int seqnum, uint32_t blockBytes, uint64_t sentEnd, uint64_t acked)>;
using ZoRecvPackEvent = std::function<void(int seqnum, uint32_t blockBytes, uint64_t position)>;
using ZoSendReadyEvent = std::function<void(int seqnum, const char* nick, const char* fileName, uint64_t size)>;
using ZoSendRequestEvent =
    std::function<void(int seqnum, const char* nick, const char* fileName, uint64_t size, FileHandle* file)>;
using ZoDCCChatEvent =
    std::function<void(int seqnum, const char* nick, const char* address, int port, int* accept)>;
using ZoSeqTextEvent = std::function<void(int seqnum, const char* text)>;

// What a handler of a file offer (the file handle) or of a chat offer (the
// accept flag) stores to answer later: the offer then waits in its table for
// the engine's accept or decline operation.
inline constexpr FileHandle kFileAskLater = -2;
inline constexpr int kChatAskLater = -1;

using ZoSendLine = std::function<void(const char* text)>;

// Raises an event when a receiver is set.
template <typename Event, typename... Args>
void ZoRaise(const Event& event, Args&&... args) {
  if (event) event(std::forward<Args>(args)...);
}
