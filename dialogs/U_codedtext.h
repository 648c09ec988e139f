// IRC-coded text shown in widgets: lines added to an output pane (kept to
// its last lines), lines waiting for a pane, and coded text on a canvas.
// Colours are 0x00RRGGBB. Texts are CP949 (or UTF-8 from modern servers).
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <utility>

class QPainter;
class QTextCharFormat;
class QTextEdit;

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
