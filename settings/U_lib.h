// Text helpers the window layer shares: output-pane lines with the IRC
// formatting codes, line-kind colours, coded text on a canvas, code removal,
// slash-command aliases, string lists, nick prefixes and the time prefix.
// Colours are 0x00RRGGBB. Texts are CP949 (or UTF-8 from modern servers).
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

class QPainter;
class QTextCharFormat;
class QTextEdit;

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

void RichAddLine(QTextEdit* pane, const char* text, uint32_t colour, bool time = false);

// Lines waiting for a pane, shown together so a burst costs one layout. No
// more wait than a pane keeps: older ones are dropped.
class TPendingLines {
 public:
  // The lines a pane keeps.
  static constexpr int kMaxLines = 200;

  void Add(std::string text, uint32_t colour);
  // Appends the waiting lines in one edit block; lines added while they are
  // being shown wait for the next time. `shown` hears of each line's colour
  // right after it was appended, as the pane's last block.
  void ShowIn(QTextEdit* pane, const std::function<void(uint32_t colour)>& shown = {});
  bool Empty() const { return lines_.empty(); }
  int Count() const { return static_cast<int>(lines_.size()); }

 private:
  std::deque<std::pair<std::string, uint32_t>> lines_;
};
// Sets the insertion colour from the code at `position`.
void ApplyRichColorCode(QTextCharFormat& format, const char*& position);
// Sets the canvas font and background colours; with no canvas it only reads.
void ApplyCanvasColorCode(QPainter* canvas, const char*& position);
// (x, y) is the top left of the text.
void DrawCodedText(QPainter* canvas, int x, int y, bool darkText, const char* text);
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
