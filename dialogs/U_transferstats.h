// What a transfer's progress window shows: its five lines, its caption and
// status texts, and the per-second update of speed and estimated time.
#pragma once

#include <cstdint>
#include <string>

// Counts are 64-bit so that nothing wraps, whatever size a file has.
struct TTransferCounts {
  uint64_t transferred = 0;
  uint64_t total = 0;
  // Bytes the file held before this session (a resume); they were not moved
  // now and do not count toward the speed.
  uint64_t sessionStart = 0;
  uint64_t elapsed = 0;   // seconds since the window opened
  uint64_t estimate = 0;  // estimated total seconds; 0 while there is none
};

// Bytes per second moved in this session; 0 before the first second or byte.
uint64_t TransferSpeed(const TTransferCounts& counts);
// One second has passed: the elapsed time grows and, once bytes move, the
// estimate becomes the elapsed time plus what is left at the present speed.
void TickTransfer(TTransferCounts& counts);

enum class TTransferStatus { Connecting, WaitingToSend, Connected, Succeeded, Failed };

// CP949 texts, valid for the life of the process.
const char* TransferStatusText(TTransferStatus status);

// The window's lines, in CP949, top to bottom.
struct TTransferLines {
  std::string with, fileName, transfer, time, speed;
};

TTransferLines TransferLines(const char* nick, const char* fileName, bool receiving, const TTransferCounts& counts);
// A size as people read it: "512 B", "195 KB", "1.4 MB", "2.0 GB" (1024 steps).
std::string SizeText(uint64_t bytes);

// "nick - status".
std::string TransferCaption(const char* nick, const char* status);
