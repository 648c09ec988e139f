#include "F_findbar.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>

#include "U_keys.h"
#include "U_paneview.h"

namespace {

// As the control's input line.
constexpr QRgb kBarColour = 0xECFFFF;
// A word found on most of a long pane's lines needs no more marks: the newest are kept.
constexpr int kMostMarks = 2000;

}  // namespace

TFindBar::TFindBar(TPaneView* pane) : QLineEdit(pane), pane_(pane) {
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
  setTextMargins(3, 0, 64, 1);
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
  pane_->SetMarks({}, -1);
  if (returnTo_) returnTo_->setFocus(Qt::OtherFocusReason);
}

void TFindBar::Step(bool older) {
  if (matches_.empty()) return;
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
  const std::optional<TPaneMatch> was = CurrentMatch();
  FindNew();
  current_ = -1;
  for (int i = 0; i < MatchCount() && was; ++i)
    if (matches_[i].line == was->line && matches_[i].start == was->start) current_ = i;
  Mark();
}

std::optional<TPaneMatch> TFindBar::CurrentMatch() const {
  if (current_ < 0) return std::nullopt;
  return matches_[static_cast<size_t>(current_)];
}

void TFindBar::SetBorder(const QColor& colour) {
  border_ = colour;
  update();
}

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
  searchedEnd_ = 0;
  FindNew();
}

// Only lines that came since the last search are searched: a long pane under
// a flood would otherwise be read whole for every showing.
void TFindBar::FindNew() {
  const TPaneLines& lines = pane_->Lines();
  std::erase_if(matches_, [&lines](const TPaneMatch& match) { return !lines.Has(match.line); });
  const std::vector<TPaneMatch> found = lines.Find(text(), kMostMarks, searchedEnd_);
  matches_.insert(matches_.end(), found.begin(), found.end());
  if (MatchCount() > kMostMarks) matches_.erase(matches_.begin(), matches_.end() - kMostMarks);
  searchedEnd_ = lines.End();
}

void TFindBar::Mark() {
  pane_->SetMarks(matches_, current_);
  if (text().isEmpty())
    lCount->clear();
  else if (matches_.empty())
    lCount->setText(QString::fromUtf8("없음"));
  else
    lCount->setText(QStringLiteral("%1/%2").arg(current_ + 1).arg(MatchCount()));
}

// The match in the middle of the view; the pane then stops following.
void TFindBar::Reveal() {
  if (const std::optional<TPaneMatch> match = CurrentMatch()) pane_->Reveal(match->line);
}

// A line of the window's frame around the bar's sides and foot, so it reads
// as part of the skinned window rather than of the text.
void TFindBar::paintEvent(QPaintEvent* event) {
  QLineEdit::paintEvent(event);
  QPainter painter(this);
  painter.setPen(border_);
  painter.drawPolyline(QPolygon({QPoint(0, 0), QPoint(0, height() - 1), QPoint(width() - 1, height() - 1),
                                 QPoint(width() - 1, 0)}));
}
