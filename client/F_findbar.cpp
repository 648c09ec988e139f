#include "F_findbar.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScrollBar>
#include <QTextDocument>
#include <QTextEdit>

#include "U_keys.h"

namespace {

// As the control's input line.
constexpr QRgb kBarColour = 0xECFFFF;
constexpr QRgb kMatchColour = 0xFFE58A;
constexpr QRgb kCurrentColour = 0xFF9F43;
// A pane holds a few thousand lines; a word found on most of them needs no more marks.
constexpr int kMostMarks = 2000;

}  // namespace

TFindBar::TFindBar(QTextEdit* pane) : QLineEdit(pane), pane_(pane) {
  setPlaceholderText(QString::fromUtf8("찾기"));
  setFrame(false);
  QPalette colours = palette();
  colours.setColor(QPalette::Base, QColor(kBarColour));
  setPalette(colours);
  lCount = new QLabel(this);
  lCount->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
  lCount->setAttribute(Qt::WA_TransparentForMouseEvents);
  QPalette muted = lCount->palette();
  muted.setColor(QPalette::WindowText, QColor(0x70, 0x70, 0x70));
  lCount->setPalette(muted);
  setTextMargins(2, 0, 64, 0);
  connect(this, &QLineEdit::textChanged, this, &TFindBar::Search);
  hide();
}

void TFindBar::Open() {
  if (!isVisible()) returnTo_ = QApplication::focusWidget();
  Place();
  show();
  raise();
  setFocus(Qt::ShortcutFocusReason);
  selectAll();
  FindAll();
  Mark();
}

void TFindBar::Close() {
  hide();
  matches_.clear();
  current_ = -1;
  pane_->setExtraSelections({});
  if (returnTo_) returnTo_->setFocus(Qt::OtherFocusReason);
}

void TFindBar::Step(bool older) {
  if (matches_.isEmpty()) return;
  const int count = MatchCount();
  if (current_ < 0)
    current_ = count - 1;
  else
    current_ = (current_ + (older ? count - 1 : 1)) % count;
  Mark();
  Reveal();
}

void TFindBar::Refresh() {
  if (!isVisible()) return;
  const QTextCursor was = CurrentMatch();
  FindAll();
  current_ = -1;
  for (int i = 0; i < MatchCount() && !was.isNull() && was.hasSelection(); ++i)
    if (matches_[i].selectionStart() == was.selectionStart()) current_ = i;
  Mark();
}

QTextCursor TFindBar::CurrentMatch() const { return current_ >= 0 ? matches_[current_] : QTextCursor(); }

void TFindBar::Place() {
  const QRect text = pane_->viewport()->geometry();
  const int height = sizeHint().height();
  setGeometry(text.left(), text.top(), text.width(), height);
  lCount->setGeometry(rect().adjusted(0, 0, -4, 0));
}

bool TFindBar::event(QEvent* event) {
  if (event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) {
    const auto* key = static_cast<QKeyEvent*>(event);
    const TFindKey action = FindKeyAction(key->key(), key->modifiers());
    if (action != TFindKey::None) {
      if (event->type() == QEvent::ShortcutOverride) {
        event->accept();
        return true;
      }
      if (action == TFindKey::Close)
        Close();
      else
        Step(action == TFindKey::Next);
      return true;
    }
  }
  return QLineEdit::event(event);
}

// Typing shows the newest match at once.
void TFindBar::Search() {
  FindAll();
  current_ = MatchCount() - 1;
  Mark();
  Reveal();
}

void TFindBar::FindAll() {
  matches_.clear();
  if (text().isEmpty()) return;
  QTextDocument* document = pane_->document();
  for (QTextCursor found = document->find(text()); !found.isNull() && matches_.size() < kMostMarks;
       found = document->find(text(), found))
    matches_ << found;
}

void TFindBar::Mark() {
  QList<QTextEdit::ExtraSelection> marks;
  marks.reserve(matches_.size());
  for (int i = 0; i < MatchCount(); ++i) {
    QTextEdit::ExtraSelection mark;
    mark.cursor = matches_[i];
    mark.format.setBackground(QColor(i == current_ ? kCurrentColour : kMatchColour));
    marks << mark;
  }
  pane_->setExtraSelections(marks);
  if (text().isEmpty())
    lCount->clear();
  else if (matches_.isEmpty())
    lCount->setText(QString::fromUtf8("없음"));
  else
    lCount->setText(QStringLiteral("%1/%2").arg(current_ + 1).arg(MatchCount()));
}

// The match in the middle of the view; the pane then stops following.
void TFindBar::Reveal() {
  const QTextCursor match = CurrentMatch();
  if (match.isNull()) return;
  QScrollBar* bar = pane_->verticalScrollBar();
  const int middle = pane_->viewport()->height() / 2;
  bar->setValue(bar->value() + pane_->cursorRect(match).center().y() - middle);
}
