#include "U_panefollow.h"

#include <QAbstractTextDocumentLayout>
#include <QScrollBar>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>

TPaneFollow::TPaneFollow(QTextEdit* pane) : QObject(pane), pane_(pane) {
  QScrollBar* bar = pane->verticalScrollBar();
  connect(bar, &QScrollBar::valueChanged, this, &TPaneFollow::ValueChanged);
  connect(bar, &QScrollBar::rangeChanged, this, &TPaneFollow::RangeChanged);
}

void TPaneFollow::BeforeAppend() {
  adjusting_ = true;
  if (following_) return;
  const QTextBlock top = pane_->cursorForPosition(QPoint(0, 0)).block();
  anchorFromEnd_ = pane_->document()->blockCount() - 1 - top.blockNumber();
  anchorOffset_ = pane_->verticalScrollBar()->value() -
                  static_cast<int>(pane_->document()->documentLayout()->blockBoundingRect(top).top());
}

void TPaneFollow::AfterAppend(int lines) {
  if (following_) {
    ScrollToEnd();
  } else {
    // The oldest lines may have gone from the top: the anchor is found by
    // its distance from the end, which only the new lines changed.
    const QTextDocument* document = pane_->document();
    const QTextBlock top = document->findBlockByNumber(document->blockCount() - 1 - anchorFromEnd_ - lines);
    const int y = top.isValid() && top.blockNumber() >= 0
                      ? static_cast<int>(document->documentLayout()->blockBoundingRect(top).top()) + anchorOffset_
                      : 0;
    SetValue(y);
    SetWaiting(waiting_ + lines);
  }
  adjusting_ = false;
}

void TPaneFollow::ScrollToEnd() {
  following_ = true;
  SetValue(pane_->verticalScrollBar()->maximum());
  SetWaiting(0);
}

void TPaneFollow::ValueChanged(int value) {
  if (adjusting_) return;
  if (clamped_) {
    // The pane shrank under the view (a relayout): not the user's doing.
    clamped_ = false;
    return;
  }
  following_ = value >= pane_->verticalScrollBar()->maximum();
  if (following_) SetWaiting(0);
}

// Emitted before the scroll bar bounds its value to the new range.
void TPaneFollow::RangeChanged() {
  QScrollBar* bar = pane_->verticalScrollBar();
  clamped_ = !following_ && bar->value() > bar->maximum();
  if (following_) SetValue(bar->maximum());
}

void TPaneFollow::SetValue(int value) {
  const bool was = adjusting_;
  adjusting_ = true;
  pane_->verticalScrollBar()->setValue(value);
  adjusting_ = was;
}

void TPaneFollow::SetWaiting(int waiting) {
  if (waiting == waiting_) return;
  waiting_ = waiting;
  if (OnWaitingChanged) OnWaitingChanged();
}
