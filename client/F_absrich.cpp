#include "F_absrich.h"

#include <QApplication>
#include <QClipboard>
#include <QEvent>
#include <QTextEdit>

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
  for (const std::string& line : OutputLines(text)) {
    if (rView->textCursor().hasSelection())
      PendingLines.emplace_back(line, kind);
    else
      ShowLine(line, kind);
  }
}

void TmABSRich::ShowLine(const std::string& text, int kind) {
  RichAddLine(rView, text.c_str(), KindColor(kind));
}

void TmABSRich::ShowPendingLines() {
  std::vector<std::pair<std::string, int>> waiting;
  waiting.swap(PendingLines);
  for (const auto& [text, kind] : waiting) ShowLine(text, kind);
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
