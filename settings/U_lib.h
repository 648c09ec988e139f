// Text helpers shared from the client's logic to its windows: the IRC
// formatting codes and their palette, code removal, slash-command aliases,
// string lists, nick prefixes and the time prefix. Free of widgets; the
// coded text's showing in widgets is dialogs/U_codedtext.
// Colours are 0x00RRGGBB. Texts are CP949 (or UTF-8 from modern servers).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

enum : char { kCodeBold = 2, kCodeColor = 3, kCodeItalic = 22, kCodeUnderline = 31 };

// The numbers after a byte 3; -1 where none was given.
struct TColorCode {
  int fore = -1;
  int back = -1;
};
// Reads up to two digits, then after a comma up to two more; `position`
// starts just after the byte 3 and ends after what was read.
TColorCode ReadColorCode(const char*& position);

uint32_t PaletteColor(int index);

// The palette index a light pane shows for a colour code: light colours are
// darkened so they stay readable.
int RichColorIndex(TColorCode code);

inline bool IsFormatCode(char byte) {
  return byte == kCodeBold || byte == kCodeColor || byte == kCodeItalic || byte == kCodeUnderline;
}

// Walks a text as runs of shown bytes and the codes between them. `onCode`
// gets the position after the code byte and may move it past the code's digits.
template <typename RunFn, typename CodeFn>
void WalkCodedText(const char* text, size_t length, bool dropBellAndBackspace, RunFn onRun, CodeFn onCode) {
  const char* end = text + length;
  const char* run = text;
  const char* position = text;
  while (position < end) {
    const char byte = *position;
    const bool dropped = dropBellAndBackspace && (byte == 7 || byte == 8);
    if (!IsFormatCode(byte) && !dropped) {
      ++position;
      continue;
    }
    if (position > run) onRun(run, static_cast<size_t>(position - run));
    ++position;
    if (!dropped) onCode(byte, position);
    run = position;
  }
  if (end > run) onRun(run, static_cast<size_t>(end - run));
}

// Removes every formatting code in place.
void StripCodes(char* text);

// Expands slash-command aliases from the settings' alias list, which it
// refers to and does not own.
class MCommandProcedure {
 public:
  explicit MCommandProcedure(const std::vector<std::string>& aliases) : aliases_(aliases) {}
  // The line to send, without line end.
  std::string Expand(const char* line) const;
  // What the alias `word` stands for (any letter case); nothing for no alias.
  std::optional<std::string> FindCommand(const std::string& word) const;

 private:
  const std::vector<std::string>& aliases_;
};

// A channel argument as JOIN and PART take it: "#" put before a name that
// starts with neither "#" nor "&".
std::string ChannelArgument(std::string_view name);
// Every entry followed by the separator.
std::string JoinStrings(const std::vector<std::string>& list, char separator);
// Replaces the list with the non-empty pieces of the text.
void SplitString(const char* text, std::vector<std::string>& list, char separator);
// The nick without one leading "@" or "+"; the next call overwrites it.
const char* StripNickPrefix(const char* nick);
// "[hh:mm] " in local time; the next call overwrites it.
const char* TimeStamp();
