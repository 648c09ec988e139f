#include "U_codedtext.h"

#include <QFontMetrics>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextEdit>
#include <cstring>

#include "U_codepage.h"
#include "U_direction.h"
#include "U_lib.h"

namespace {

constexpr int kPaneLineCap = TPendingLines::kMaxLines;
constexpr int kPaneLinesDropped = 10;

// A canvas colour number: above 15 it wraps; -1 leaves the colour as it is.
int CanvasIndex(int number) { return number > 15 ? number % 15 - 1 : number; }

void TrimPane(QTextEdit* pane) {
  QTextDocument* document = pane->document();
  if (document->blockCount() <= kPaneLineCap) return;
  // The first block survives a removal with its own format: the new first
  // line's format is put back on it.
  const QTextBlock first = document->findBlockByNumber(kPaneLinesDropped);
  const QTextBlockFormat kept = first.blockFormat();
  QTextCursor cursor(document);
  cursor.setPosition(first.position(), QTextCursor::KeepAnchor);
  cursor.removeSelectedText();
  cursor.setBlockFormat(kept);
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

void RichAddLine(QTextEdit* pane, const char* text, uint32_t colour, bool time) {
  if (!pane) return;
  QTextDocument* document = pane->document();
  // A log has nothing to undo; the undo stack would keep every line ever removed.
  document->setUndoRedoEnabled(false);
  const std::string line = std::string(text ? text : "") + ' ';
  const TextCoding coding = DisplayCoding(line.data(), line.size());

  QTextCursor cursor(document);
  cursor.movePosition(QTextCursor::End);
  // A plain block: the last line's band, if it has one, is its own.
  if (!document->isEmpty()) cursor.insertBlock(QTextBlockFormat());
  QTextCharFormat format;
  format.setFont(pane->font());
  format.setFontWeight(QFont::Normal);
  format.setFontItalic(false);
  format.setFontUnderline(false);
  format.setForeground(QColor(colour));
  if (time) cursor.insertText(QString::fromLatin1(TimeStamp()), format);

  WalkCodedText(
      line.data(), line.size(), true,
      [&](const char* run, size_t length) {
        cursor.insertText(WithoutDirectionControls(DecodeText(run, length, coding)), format);
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
  TrimPane(pane);
}

void TPendingLines::Add(std::string text, uint32_t colour) {
  lines_.emplace_back(std::move(text), colour);
  if (lines_.size() > static_cast<size_t>(kMaxLines)) lines_.pop_front();
}

void TPendingLines::ShowIn(QTextEdit* pane, const std::function<void(uint32_t colour)>& shown) {
  if (lines_.empty()) return;
  // Taken first: showing a line moves the pane's cursor, which may call back here.
  std::deque<std::pair<std::string, uint32_t>> showing;
  showing.swap(lines_);
  QTextCursor batch(pane->document());
  batch.beginEditBlock();
  for (const auto& [text, colour] : showing) {
    RichAddLine(pane, text.c_str(), colour);
    if (shown) shown(colour);
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
