// IRC-coded text shown in widgets: a pane line as characters with runs of
// formatting, lines added to a text pane (kept to its last lines), lines
// waiting for a pane, and coded text on a canvas.
// Colours are 0x00RRGGBB. Texts are CP949 (or UTF-8 from modern servers).
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <utility>
#include <vector>

#include <QString>

class QPainter;
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

enum : uint8_t { kRunBold = 1, kRunItalic = 2, kRunUnderline = 4 };

// Characters [start, start + length) of a shown line in one colour and style.
struct TTextRun {
  uint16_t start = 0;
  uint16_t length = 0;
  uint32_t colour = 0;
  uint8_t style = 0;
};

// A pane line decoded: its characters, the stamp first, and their formatting.
struct TShownLine {
  QString text;
  std::vector<TTextRun> runs;
  int stampLength = 0;
};

// Decodes the line and turns its codes into runs. Direction controls are
// left out, and a blank ends the line.
TShownLine ShownLine(const TPaneLine& line);

// The lines a pane keeps unless told otherwise.
constexpr int kPaneKeepDefault = 200;
constexpr uint32_t kStampColour = 0x8C8C8C;

// Appends the line to a text pane and drops the oldest lines beyond `keep`.
void RichAddLine(QTextEdit* pane, const TPaneLine& line, int keep = kPaneKeepDefault);

// Lines waiting for a pane, shown together so a burst costs one layout. No
// more wait than the pane keeps: older ones are dropped.
class TPendingLines {
 public:
  void SetKeep(int keep) { keep_ = keep; }
  int Keep() const { return keep_; }
  void Add(TPaneLine line);
  void Add(std::string text, uint32_t colour) { Add(TPaneLine{std::move(text), colour}); }
  // Appends the waiting lines in one edit block.
  void ShowIn(QTextEdit* pane);
  // The waiting lines, oldest first; none wait afterwards.
  std::deque<TPaneLine> Take();
  bool Empty() const { return lines_.empty(); }
  int Count() const { return static_cast<int>(lines_.size()); }

 private:
  std::deque<TPaneLine> lines_;
  int keep_ = kPaneKeepDefault;
};
// Sets the canvas font and background colours; with no canvas it only reads.
void ApplyCanvasColorCode(QPainter* canvas, const char*& position);
// (x, y) is the top left of the text.
void DrawCodedText(QPainter* canvas, int x, int y, bool darkText, const char* text);
