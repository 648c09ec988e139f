#include "F_absrich.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QTextBlock>
#include <QTextEdit>
#include <QTimer>

#include "U_clientrules.h"
#include "U_lib.h"
#include "U_render.h"
#include "U_subforms.h"

TmABSRich::TmABSRich(QWidget* panel, CSubforms& manager, const TFrameColorRecord& colors)
    : TMDIABS(panel, manager, colors) {
  rView = new QTextEdit(pClient);
  setWindowTitle("mABSRich");
  rView->setReadOnly(true);
  rView->setFrameStyle(0);
  rView->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  rView->viewport()->setCursor(Qt::ArrowCursor);
  LayoutClient();
  rView->viewport()->installEventFilter(this);
  connect(rView, &QTextEdit::selectionChanged, this, [this] {
    if (!rView->textCursor().hasSelection()) ShowPendingLines();
  });
}

void TmABSRich::AddLine(const char* text, int kind) {
  if (!Manager().IsFront(this)) Manager().NoteUnread(this, kind == kKindMention ? urMention : urLines);
  for (std::string& line : OutputLines(text)) {
    if (Manager().OnWindowLine && (Kind == wkChannel || Kind == wkQuery)) Manager().OnWindowLine(this, line);
    PendingLines.emplace_back(std::move(line), kind);
    if (PendingLines.size() > kMaxWaitingLines) PendingLines.pop_front();
  }
  if (showScheduled_) return;
  showScheduled_ = true;
  QTimer::singleShot(0, this, [this] {
    showScheduled_ = false;
    ShowPendingLines();
  });
}

void TmABSRich::ShowPendingLines() {
  if (PendingLines.empty() || rView->textCursor().hasSelection()) return;
  // Taken first: showing a line moves the pane's cursor, which calls back here.
  std::deque<std::pair<std::string, int>> showing;
  showing.swap(PendingLines);
  QTextCursor batch(rView->document());
  batch.beginEditBlock();
  for (const auto& [text, kind] : showing) {
    RichAddLine(rView, text.c_str(), KindColor(kind));
    if (kind == kKindMention) MarkMention();
  }
  batch.endEditBlock();
}

// A line naming the user stands out on a light band besides its colour.
void TmABSRich::MarkMention() {
  QTextCursor line(rView->document()->lastBlock());
  QTextBlockFormat band;
  band.setBackground(QColor(0xFF, 0xF2, 0xB3));
  line.mergeBlockFormat(band);
}

void TmABSRich::rViewMouseUp() {
  QTextCursor cursor = rView->textCursor();
  if (cursor.hasSelection()) QApplication::clipboard()->setText(cursor.selectedText().replace(QChar(0x2029), '\n'));
  cursor.clearSelection();
  rView->setTextCursor(cursor);
  ShowPendingLines();
}

bool TmABSRich::eventFilter(QObject* watched, QEvent* event) {
  if (rView && watched == rView->viewport()) {
    if (event->type() == QEvent::MouseButtonPress) FormMouseDown();
    if (event->type() == QEvent::MouseButtonRelease) rViewMouseUp();
    return false;
  }
  return TMDIABS::eventFilter(watched, event);
}

void TmABSRich::resizeEvent(QResizeEvent* event) {
  TMDIABS::resizeEvent(event);
  LayoutClient();
}

void TmABSRich::LayoutClient() { rView->setGeometry(pClient->rect()); }
