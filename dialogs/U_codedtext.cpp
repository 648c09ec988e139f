#include "U_codedtext.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <algorithm>
#include <cstring>

#include "U_codepage.h"
#include "U_direction.h"
#include "U_lib.h"

namespace {

constexpr int kPaneLinesDropped = 10;

// A canvas colour number: above 15 it wraps; -1 leaves the colour as it is.
int CanvasIndex(int number) { return number > 15 ? number % 15 - 1 : number; }

// Makes room for `coming` more lines. Dropped in steps, so a full pane does
// not pay for a removal every line.
void TrimPane(QTextEdit* pane, int keep, int coming = 0) {
  QTextDocument* document = pane->document();
  const int lines = document->blockCount() + coming;
  if (lines <= keep) return;
  const int step = std::max(kPaneLinesDropped, keep / 100);
  const int drop = std::min(document->blockCount() - 1, lines - keep + step - 1);
  if (drop <= 0) return;
  QTextCursor cursor(document);
  cursor.setPosition(document->findBlockByNumber(drop).position(), QTextCursor::KeepAnchor);
  cursor.removeSelectedText();
}

QTextCharFormat RunFormat(QTextEdit* pane, const TTextRun& run) {
  QTextCharFormat format;
  format.setFont(pane->font());
  format.setFontWeight(run.style & kRunBold ? QFont::Bold : QFont::Normal);
  format.setFontItalic(run.style & kRunItalic);
  format.setFontUnderline(run.style & kRunUnderline);
  format.setForeground(QColor(run.colour));
  return format;
}

}  // namespace

TShownLine ShownLine(const TPaneLine& paneLine) {
  TShownLine shown;
  uint32_t colour = paneLine.colour;
  uint8_t style = 0;
  // Runs of one format that meet become one.
  const auto add = [&](const QString& text, uint32_t runColour) {
    if (text.isEmpty()) return;
    const auto start = static_cast<uint16_t>(shown.text.size());
    shown.text += text;
    TTextRun* last = shown.runs.empty() ? nullptr : &shown.runs.back();
    if (last && last->colour == runColour && last->style == style)
      last->length = static_cast<uint16_t>(last->length + text.size());
    else
      shown.runs.push_back({start, static_cast<uint16_t>(text.size()), runColour, style});
  };
  add(paneLine.stamp, kStampColour);
  shown.stampLength = static_cast<int>(paneLine.stamp.size());

  const std::string line = paneLine.text + ' ';
  const TextCoding coding = DisplayCoding(line.data(), line.size());
  const size_t nickEnd = paneLine.nickAt + paneLine.nickLength;
  const auto insert = [&](const char* run, size_t length, uint32_t runColour) {
    if (length > 0) add(WithoutDirectionControls(DecodeText(run, length, coding)), runColour);
  };
  WalkCodedText(
      line.data(), line.size(), true,
      [&](const char* run, size_t length) {
        const size_t at = static_cast<size_t>(run - line.data());
        if (paneLine.nickLength == 0 || nickEnd <= at || paneLine.nickAt >= at + length) return insert(run, length, colour);
        // The nick's bytes within this run, between what comes before and after.
        const size_t from = std::max(paneLine.nickAt, at) - at;
        const size_t to = std::min(nickEnd, at + length) - at;
        insert(run, from, colour);
        insert(run + from, to - from, paneLine.nickColour);
        insert(run + to, length - to, colour);
      },
      [&](char code, const char*& position) {
        if (code == kCodeBold)
          style ^= kRunBold;
        else if (code == kCodeItalic)
          style ^= kRunItalic;
        else if (code == kCodeUnderline)
          style ^= kRunUnderline;
        else
          colour = PaletteColor(RichColorIndex(ReadColorCode(position)));
      });
  return shown;
}

void RichAddLine(QTextEdit* pane, const TPaneLine& paneLine, int keep) {
  if (!pane) return;
  QTextDocument* document = pane->document();
  // A log has nothing to undo; the undo stack would keep every line ever removed.
  document->setUndoRedoEnabled(false);
  const TShownLine shown = ShownLine(paneLine);
  QTextCursor cursor(document);
  cursor.movePosition(QTextCursor::End);
  if (!document->isEmpty()) cursor.insertBlock();
  for (const TTextRun& run : shown.runs) cursor.insertText(shown.text.mid(run.start, run.length), RunFormat(pane, run));
  // The pane's own cursor is left alone: setting it would scroll the view.
  TrimPane(pane, keep);
}

void TPendingLines::Add(TPaneLine line) {
  lines_.push_back(std::move(line));
  if (lines_.size() > static_cast<size_t>(keep_)) lines_.pop_front();
}

std::deque<TPaneLine> TPendingLines::Take() {
  std::deque<TPaneLine> taken;
  taken.swap(lines_);
  return taken;
}

void TPendingLines::ShowIn(QTextEdit* pane) {
  if (lines_.empty()) return;
  // Taken first: showing a line moves the pane's cursor, which may call back here.
  const std::deque<TPaneLine> showing = Take();
  QTextCursor batch(pane->document());
  batch.beginEditBlock();
  // One removal for the whole batch, not one per step of lines.
  TrimPane(pane, keep_, static_cast<int>(showing.size()));
  for (const TPaneLine& line : showing) RichAddLine(pane, line, keep_);
  batch.endEditBlock();
}

void ApplyCanvasColorCode(QPainter* canvas, const char*& position) {
  const TColorCode code = ReadColorCode(position);
  if (!canvas) return;
  const int fore = CanvasIndex(code.fore);
  const int back = CanvasIndex(code.back);
  if (fore >= 0) canvas->setPen(QColor(PaletteColor(fore)));
  if (back >= 0) {
    canvas->setBackground(QColor(PaletteColor(back)));
    canvas->setBackgroundMode(Qt::OpaqueMode);
  }
}

void DrawCodedText(QPainter* canvas, int x, int y, bool darkText, const char* text) {
  if (!canvas || !text) return;
  canvas->save();
  canvas->setPen(darkText ? Qt::black : Qt::white);
  const size_t length = strlen(text);
  const TextCoding coding = DisplayCoding(text, length);
  WalkCodedText(
      text, length, false,
      [&](const char* run, size_t runLength) {
        const QString shown = WithoutDirectionControls(DecodeText(run, runLength, coding));
        const QFontMetrics metrics(canvas->font());
        canvas->drawText(x, y + metrics.ascent(), shown);
        x += metrics.horizontalAdvance(shown) - 1;
      },
      [&](char code, const char*& position) {
        QFont font = canvas->font();
        if (code == kCodeBold)
          font.setBold(!font.bold());
        else if (code == kCodeItalic)
          font.setItalic(!font.italic());
        else if (code == kCodeUnderline)
          font.setUnderline(!font.underline());
        else
          ApplyCanvasColorCode(canvas, position);
        canvas->setFont(font);
      });
  canvas->restore();
}
