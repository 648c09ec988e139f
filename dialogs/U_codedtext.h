// IRC-coded text shown in widgets: lines added to an output pane (kept to
// its last lines), lines waiting for a pane, and coded text on a canvas.
// Colours are 0x00RRGGBB. Texts are CP949 (or UTF-8 from modern servers).
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <string>
#include <utility>

#include <QString>

class QPainter;
class QTextBlock;
class QTextCharFormat;
class QTextEdit;

// One line for a pane: its text in `colour`, a muted stamp before it, and a
// run of its bytes (the speaker's nick) in a colour of its own.
struct TPaneLine {
  std::string text;
  uint32_t colour = 0;
  QString stamp{};
  size_t nickAt = 0;
  size_t nickLength = 0;
  uint32_t nickColour = 0;
};

// The lines a pane keeps unless told otherwise.
constexpr int kPaneKeepDefault = 200;
constexpr uint32_t kStampColour = 0x8C8C8C;

// Appends the line and drops the oldest lines beyond `keep`. A block's user
// state is the length of its stamp, so readers can leave the stamp out.
void RichAddLine(QTextEdit* pane, const TPaneLine& line, int keep = kPaneKeepDefault);
void RichAddLine(QTextEdit* pane, const char* text, uint32_t colour, bool time = false);
// A pane line's text without its stamp.
QString LineText(const QTextBlock& block);

// Lines waiting for a pane, shown together so a burst costs one layout. No
// more wait than the pane keeps: older ones are dropped.
class TPendingLines {
 public:
  void SetKeep(int keep) { keep_ = keep; }
  int Keep() const { return keep_; }
  void Add(TPaneLine line);
  void Add(std::string text, uint32_t colour) { Add(TPaneLine{std::move(text), colour}); }
  // Appends the waiting lines in one edit block; lines added while they are
  // being shown wait for the next time. `shown` hears of each line's colour
  // right after it was appended, as the pane's last block.
  void ShowIn(QTextEdit* pane, const std::function<void(uint32_t colour)>& shown = {});
  bool Empty() const { return lines_.empty(); }
  int Count() const { return static_cast<int>(lines_.size()); }

 private:
  std::deque<TPaneLine> lines_;
  int keep_ = kPaneKeepDefault;
};
// Sets the insertion colour from the code at `position`.
void ApplyRichColorCode(QTextCharFormat& format, const char*& position);
// Sets the canvas font and background colours; with no canvas it only reads.
void ApplyCanvasColorCode(QPainter* canvas, const char*& position);
// (x, y) is the top left of the text.
void DrawCodedText(QPainter* canvas, int x, int y, bool darkText, const char* text);
