#include "F_absrich.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QTimer>
#include <algorithm>

#include "F_findbar.h"
#include "U_clientrules.h"
#include "U_keys.h"
#include "U_lib.h"
#include "U_panelook.h"
#include "U_paneview.h"
#include "U_render.h"
#include "U_subforms.h"

namespace {

// A line naming the user stands out on a light band besides its colour;
// replayed history sits on a muted one.
uint32_t BandOf(uint32_t colour) {
  if (colour == KindColor(kKindMention)) return 0xFFF2B3;
  if (colour == KindColor(kKindHistory)) return 0xECEEF2;
  return 0;
}

}  // namespace

TmABSRich::TmABSRich(QWidget* panel, CSubforms& manager, const TFrameColorRecord& colors)
    : TMDIABS(panel, manager, colors) {
  rView = new TPaneView(pClient);
  setWindowTitle("mABSRich");
  rView->OnWaitingChanged = [this] { ShowWaiting(); };
  rView->OnSelectionEnded = [this] { ShowPendingLines(); };
  rView->OnFind = [this] { OpenFind(); };
  LayoutClient();
  rView->installEventFilter(this);
  rView->viewport()->installEventFilter(this);
}

// Replayed history is nothing new: no unread mark, and the logs had it when it was said.
void TmABSRich::AddLine(const TOutLine& line) {
  const int kind = line.kind;
  const bool history = kind == kKindHistory;
  if (!history && !Manager().IsFront(this)) Manager().NoteUnread(this, kind == kKindMention ? urMention : urLines);
  const std::string logName = Manager().OnWindowLine && !history ? LogName() : std::string();
  const TPaneLook look = Manager().PaneLook();
  PendingLines.SetKeep(look.lines);
  const QString stamp = look.stamps ? Manager().Stamp(line.time) : QString();
  bool first = true;
  for (std::string& text : OutputLines(line.text.c_str())) {
    if (!logName.empty()) Manager().OnWindowLine(logName, text);
    TPaneLine shown{std::move(text), KindColor(kind), stamp};
    // The speaker's nick is on the first of the lines only.
    if (first && look.nickColours && line.nickLength > 0) {
      shown.nickAt = line.nickAt;
      shown.nickLength = line.nickLength;
      shown.nickColour = line.nickColour;
    }
    first = false;
    PendingLines.Add(std::move(shown));
  }
  if (showScheduled_) return;
  showScheduled_ = true;
  // Under a flood each showing takes up to a pane's worth of lines: after
  // one that took long the pane waits twice as long, so showing takes at
  // most a third of the time and reading the rest.
  const qint64 since = shown_.isValid() ? shown_.elapsed() : 0;
  QTimer::singleShot(static_cast<int>(std::max<qint64>(0, 2 * showCost_ - since)), this, [this] {
    showScheduled_ = false;
    ShowPendingLines();
  });
}

void TmABSRich::ShowPendingLines() {
  if (PendingLines.Empty() || rView->Selecting()) return;
  QElapsedTimer cost;
  cost.start();
  std::deque<TPaneLine> showing = PendingLines.Take();
  TPaneLines& lines = rView->Lines();
  lines.SetKeep(PendingLines.Keep());
  for (TPaneLine& line : showing) {
    const uint32_t band = BandOf(line.colour);
    lines.Add({std::move(line), band});
  }
  rView->LinesAdded(static_cast<int>(showing.size()));
  showCost_ = cost.elapsed();
  shown_.start();
  if (findBar_) findBar_->Refresh();
}

void TmABSRich::OpenFind() {
  if (!findBar_) findBar_ = new TFindBar(rView);
  findBar_->SetBorder(QColor(FrameLine));
  findBar_->Open();
}

bool TmABSRich::RunFindKey(TInputKey key) {
  if (key == TInputKey::Find) {
    OpenFind();
    return true;
  }
  const bool step = key == TInputKey::FindNext || key == TInputKey::FindPrevious;
  if (!step || !findBar_ || !findBar_->isVisible()) return false;
  findBar_->Step(key == TInputKey::FindNext);
  return true;
}

int TmABSRich::WaitingBelow() const { return rView->Waiting(); }

void TmABSRich::ShowWaiting() {
  const int waiting = rView->Waiting();
  if (waiting > 0 && !lWaiting) MakeWaitingBand();
  if (!lWaiting) return;
  lWaiting->setVisible(waiting > 0);
  lWaiting->setText(QString::fromUtf8("▼ 새 줄 %1개 (눌러서 맨 아래로)").arg(waiting));
  PlaceWaiting();
}

// Made when first needed: most panes never wait, and a burst of new windows
// should not pay for it.
void TmABSRich::MakeWaitingBand() {
  lWaiting = new QLabel(rView);
  lWaiting->setAlignment(Qt::AlignCenter);
  lWaiting->setCursor(Qt::PointingHandCursor);
  lWaiting->setAutoFillBackground(true);
  lWaiting->setContentsMargins(6, 1, 6, 1);
  QPalette colours = lWaiting->palette();
  colours.setColor(QPalette::Window, QColor(0x3C, 0x4A, 0x63));
  colours.setColor(QPalette::WindowText, Qt::white);
  lWaiting->setPalette(colours);
  lWaiting->installEventFilter(this);
}

bool TmABSRich::eventFilter(QObject* watched, QEvent* event) {
  if (watched == lWaiting && event->type() == QEvent::MouseButtonPress) {
    rView->ScrollToEnd();
    return true;
  }
  if (watched == rView && event->type() == QEvent::Resize) {
    if (lWaiting) PlaceWaiting();
    if (findBar_) findBar_->Place();
  }
  // The pane has the focus when the control shows no input line of its own.
  if (watched == rView && event->type() == QEvent::KeyPress) {
    const auto* key = static_cast<QKeyEvent*>(event);
    if (RunFindKey(InputKeyAction(key->key(), key->modifiers()))) return true;
  }
  if (rView && watched == rView->viewport()) {
    if (event->type() == QEvent::MouseButtonPress) FormMouseDown();
    return false;
  }
  return TMDIABS::eventFilter(watched, event);
}

void TmABSRich::resizeEvent(QResizeEvent* event) {
  TMDIABS::resizeEvent(event);
  LayoutClient();
}

void TmABSRich::LayoutClient() { rView->setGeometry(pClient->rect()); }

// Across the foot of the text, clear of the scroll bar.
void TmABSRich::PlaceWaiting() {
  const QRect text = rView->viewport()->geometry();
  const int height = lWaiting->sizeHint().height();
  lWaiting->setGeometry(text.left(), text.bottom() + 1 - height, text.width(), height);
}
