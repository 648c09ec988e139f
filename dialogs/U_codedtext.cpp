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
  // The first block survives a removal with its own format and state: the
  // new first line's are put back on it.
  const QTextBlock first = document->findBlockByNumber(drop);
  const QTextBlockFormat kept = first.blockFormat();
  const int state = first.userState();
  QTextCursor cursor(document);
  cursor.setPosition(first.position(), QTextCursor::KeepAnchor);
  cursor.removeSelectedText();
  cursor.setBlockFormat(kept);
  cursor.block().setUserState(state);
}

QTextCharFormat PlainFormat(QTextEdit* pane, uint32_t colour) {
  QTextCharFormat format;
  format.setFont(pane->font());
  format.setFontWeight(QFont::Normal);
  format.setFontItalic(false);
  format.setFontUnderline(false);
  format.setForeground(QColor(colour));
  return format;
}

}  // namespace

void ApplyRichColorCode(QTextCharFormat& format, const char*& position) {
  format.setForeground(QColor(PaletteColor(RichColorIndex(ReadColorCode(position)))));
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

void RichAddLine(QTextEdit* pane, const TPaneLine& paneLine, int keep) {
  if (!pane) return;
  QTextDocument* document = pane->document();
  // A log has nothing to undo; the undo stack would keep every line ever removed.
  document->setUndoRedoEnabled(false);
  const std::string line = paneLine.text + ' ';
  const TextCoding coding = DisplayCoding(line.data(), line.size());

  QTextCursor cursor(document);
  cursor.movePosition(QTextCursor::End);
  // A plain block: the last line's band, if it has one, is its own.
  if (!document->isEmpty()) cursor.insertBlock(QTextBlockFormat());
  cursor.block().setUserState(static_cast<int>(paneLine.stamp.size()));
  QTextCharFormat format = PlainFormat(pane, paneLine.colour);
  if (!paneLine.stamp.isEmpty()) {
    QTextCharFormat stamp = format;
    stamp.setForeground(QColor(kStampColour));
    cursor.insertText(paneLine.stamp, stamp);
  }

  const size_t nickEnd = paneLine.nickAt + paneLine.nickLength;
  const auto insert = [&](const char* run, size_t length, const QTextCharFormat& shownAs) {
    if (length > 0) cursor.insertText(WithoutDirectionControls(DecodeText(run, length, coding)), shownAs);
  };
  WalkCodedText(
      line.data(), line.size(), true,
      [&](const char* run, size_t length) {
        const size_t at = static_cast<size_t>(run - line.data());
        if (paneLine.nickLength == 0 || nickEnd <= at || paneLine.nickAt >= at + length) return insert(run, length, format);
        // The nick's bytes within this run, between what comes before and after.
        const size_t from = std::max(paneLine.nickAt, at) - at;
        const size_t to = std::min(nickEnd, at + length) - at;
        QTextCharFormat nick = format;
        nick.setForeground(QColor(paneLine.nickColour));
        insert(run, from, format);
        insert(run + from, to - from, nick);
        insert(run + to, length - to, format);
      },
      [&](char code, const char*& position) {
        if (code == kCodeBold)
          format.setFontWeight(format.fontWeight() == QFont::Bold ? QFont::Normal : QFont::Bold);
        else if (code == kCodeItalic)
          format.setFontItalic(!format.fontItalic());
        else if (code == kCodeUnderline)
          format.setFontUnderline(!format.fontUnderline());
        else
          ApplyRichColorCode(format, position);
      });

  // The pane's own cursor is left alone: setting it would scroll the view.
  TrimPane(pane, keep);
}

void RichAddLine(QTextEdit* pane, const char* text, uint32_t colour, bool time) {
  RichAddLine(pane, TPaneLine{text ? text : "", colour, time ? QString::fromLatin1(TimeStamp()) : QString()});
}

QString LineText(const QTextBlock& block) { return block.text().mid(std::max(block.userState(), 0)); }

void TPendingLines::Add(TPaneLine line) {
  lines_.push_back(std::move(line));
  if (lines_.size() > static_cast<size_t>(keep_)) lines_.pop_front();
}

void TPendingLines::ShowIn(QTextEdit* pane, const std::function<void(uint32_t colour)>& shown) {
  if (lines_.empty()) return;
  // Taken first: showing a line moves the pane's cursor, which may call back here.
  std::deque<TPaneLine> showing;
  showing.swap(lines_);
  QTextCursor batch(pane->document());
  batch.beginEditBlock();
  // One removal for the whole batch, not one per step of lines.
  TrimPane(pane, keep_, static_cast<int>(showing.size()));
  for (const TPaneLine& line : showing) {
    RichAddLine(pane, line, keep_);
    if (shown) shown(line.colour);
  }
  batch.endEditBlock();
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
