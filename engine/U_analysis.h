// Takes one received IRC line apart into the shared stIRC record and routes it
// to the IRC, CTCP or DCC analyser.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "U_engineevents.h"
#include "U_messagetags.h"

struct ZoBatch;

struct __IRCData {
  char nick[64];
  char user[32];
  char host[128];
  char command[32];
  char param1[128];
  char rest[512];
  // The parameters as the protocol defines them: every word after the
  // command, the trailing one (after " :") whole and without its colon. Each
  // ends with a NUL inside paramText; read them through ZoParam.
  char paramText[512];
  uint16_t paramAt[15];
  uint8_t paramCount;
  // The line's tags; read them through ZoTag.
  ZoTags tags;
  // When the line was said: the server's time tag, else its arrival. UTC ms.
  int64_t time;
  // The innermost batch the line belongs to; null outside any.
  const ZoBatch* batch;
  // On the line that closes a batch: that batch, with what it grouped.
  const ZoBatch* endedBatch;
  // A line the server replays from its history, not one said now.
  bool history;
};
using stIRC = __IRCData;

// Parameter `index` of the record, "" past the last one.
const char* ZoParam(const stIRC& record, size_t index);
// Parameters `from` to the last, joined by single blanks.
void ZoJoinParams(const stIRC& record, size_t from, char (&out)[512]);

class CZoData;
class CZoAnalIRC;
class CZoAnalCTCP;
class CZoAnalDCC;
class CZoServerCaps;
class CZoBatches;

class CZoAnalysis {
 public:
  // The analysers raise their events on `events`.
  CZoAnalysis(CZoEvents& events, CZoData* data, ZoSendLine sendLine);
  ~CZoAnalysis();
  CZoAnalysis(const CZoAnalysis&) = delete;
  CZoAnalysis& operator=(const CZoAnalysis&) = delete;

  // Cuts the line in place at its first CR (else LF), parses and routes it.
  void Analyse(char* line);
  // Where a line's arrival time is read (ms since 1970, UTC); tests set their own.
  void SetClock(std::function<int64_t()> clock) { clock_ = std::move(clock); }

  CZoAnalIRC& IRC() { return *irc_; }
  CZoAnalCTCP& CTCP() { return *ctcp_; }
  CZoAnalDCC& DCC() { return *dcc_; }
  CZoServerCaps& Caps() { return *caps_; }
  CZoBatches& Batches() { return *batches_; }
  // The line being analysed, valid during the events it raises.
  const stIRC& Record() const { return record_; }

  // Fills the record; `time` only from a time tag, 0 without one.
  static void Parse(const char* line, stIRC* record);
  // Fills the record's parameter list from what follows the command word.
  static void ParseParams(const char* text, stIRC* record);
  // The CTCP text of a record: after its leading 0x01, up to the next one.
  static void CTCPBody(const stIRC& record, char (&out)[sizeof stIRC::rest]);

 private:
  // Batches the line, routes it and lets go of the batch it ended.
  void Dispatch(int64_t arrival);
  // Ends each batch named as if the server had.
  void EndBatches(const std::vector<std::string>& refs, int64_t arrival);
  void Route();

  std::unique_ptr<CZoAnalIRC> irc_;
  std::unique_ptr<CZoAnalCTCP> ctcp_;
  std::unique_ptr<CZoAnalDCC> dcc_;
  std::unique_ptr<CZoServerCaps> caps_;
  std::unique_ptr<CZoBatches> batches_;
  const CZoData* data_;
  std::function<int64_t()> clock_ = ZoNowMs;
  stIRC record_{};
};
