// Shapes of the engine's callbacks, shared by the analysers, the DCC tables
// and TZoEngine. Text arguments are valid only during the call.
#pragma once

#include <cstdint>
#include <functional>

#include "U_file.h"

struct __IRCData;
struct __CTCPData;
struct __DCCData;

using ZoNotifyEvent = std::function<void(void* NoUse)>;
using ZoLineEvent = std::function<void(const char* Line)>;
using ZoText2Event = std::function<void(const char* Param1, const char* Param2)>;
using ZoText3Event = std::function<void(const char* Param1, const char* Param2, const char* Param3)>;
using ZoText4Event =
    std::function<void(const char* Param1, const char* Param2, const char* Param3, const char* Param4)>;
using ZoErrorEvent = std::function<void(int* ErrorCode)>;
using ZoIRCEvent = std::function<void(__IRCData* IRCData)>;
using ZoCTCPEvent = std::function<void(__CTCPData* CTCPData)>;
using ZoDCCEvent = std::function<void(__DCCData* DCCData)>;
using ZoListEvent = std::function<void(int iParam1, const char* Param1, const char* Param2, int iParam2)>;
using ZoWhoisEvent = std::function<void(const char* Param1, int iParam1, const char* Param2)>;

using ZoSeqEvent = std::function<void(int iParam)>;
using ZoSeqDoneEvent = std::function<void(int iParam, bool bParam)>;
// File sizes and positions are 64-bit; block byte counts stay 32-bit.
using ZoSentPackEvent = std::function<void(int iParam, uint32_t dParam1, uint64_t dParam2, uint64_t dParam3)>;
using ZoRecvPackEvent = std::function<void(int iParam, uint32_t dParam1, uint64_t dParam2)>;
using ZoSendReadyEvent = std::function<void(int iParam, const char* Param1, const char* Param2, uint64_t dParam1)>;
using ZoSendRequestEvent =
    std::function<void(int iParam, const char* Param1, const char* Param2, uint64_t dParam, FileHandle* hParam)>;
using ZoDCCChatEvent =
    std::function<void(int iParam1, const char* Param1, const char* Param2, int iParam2, int* ipParam)>;
using ZoSeqTextEvent = std::function<void(int iParam, const char* Param)>;

// Sends one complete raw text (CR LF included) to the IRC server.
using ZoSendLine = std::function<void(const char* text)>;

// Raises an event when a receiver is set.
template <typename Event, typename... Args>
void ZoRaise(const Event& event, Args&&... args) {
  if (event) event(std::forward<Args>(args)...);
}
