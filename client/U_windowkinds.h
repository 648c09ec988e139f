// The kinds of sub-window the main window's area holds, as each window
// records them and the window-select menu names them.
#pragma once

#include <cstdint>

enum TWindowKind : uint8_t {
  wkAbstract = 1,
  wkChannel = 2,
  wkChanList = 3,
  wkStatus = 4,
  wkQuery = 5,
  wkDccFile = 6,
  wkDccChat = 7,
};

// What a window behind the front one holds that the user has not seen.
enum TUnread : uint8_t { urNone = 0, urLines = 1, urMention = 2 };

// "ABSTRACT" ... "DCCCHAT"; "?" for a value outside the kinds.
const char* WindowKindLabel(int kind);
