// How panes show their lines, from the settings: a muted time before each
// line, each speaker's nick in a colour of its own, and how many lines a pane
// keeps.
#pragma once

#include <QString>
#include <cstdint>
#include <span>
#include <string_view>

class CDatas;

struct TPaneLook {
  bool stamps = true;
  bool nickColours = true;
  int lines = 2000;
};

// A pane holds at least this many lines whatever the setting says, and at
// most the upper bound, so a stray value cannot eat the memory.
constexpr int kPaneLinesMin = 200;
constexpr int kPaneLinesMax = 100000;

TPaneLook PaneLookOf(const CDatas& settings);

// Colours readable on the panes' white, none of them a line kind's.
std::span<const uint32_t> NickPalette();
// The same nick gets the same colour in every window and session, whatever
// its letter case.
uint32_t NickColor(std::string_view nick);

// "[HH:MM] " in local time for a UTC time in milliseconds (0: now). The time
// zone is looked up once a minute, not once a line.
class TStampClock {
 public:
  const QString& Stamp(int64_t utcMs);

 private:
  int64_t minute_ = -1;
  QString stamp_;
};
