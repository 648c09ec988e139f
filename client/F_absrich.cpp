#include "F_absrich.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QTextEdit>
#include <QTimer>

#include "U_clientrules.h"
#include "U_lib.h"

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
  for (std::string& line : OutputLines(text)) PendingLines.Add(std::move(line), KindColor(kind));
  if (showScheduled_) return;
  showScheduled_ = true;
  QTimer::singleShot(0, this, [this] {
    showScheduled_ = false;
    ShowPendingLines();
  });
}

void TmABSRich::ShowPendingLines() {
  if (PendingLines.Empty() || rView->textCursor().hasSelection()) return;
  PendingLines.ShowIn(rView);
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
