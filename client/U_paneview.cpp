#include "U_paneview.h"

#include <QApplication>
#include <QClipboard>
#include <QDesktopServices>
#include <QKeyEvent>
#include <QMenu>
#include <QPainter>
#include <QRegularExpression>
#include <QScrollBar>
#include <QTextLayout>
#include <QUrl>
#include <algorithm>
#include <cmath>

#include "U_dlgcontrols.h"

namespace {

constexpr int kMargin = 4;
constexpr QRgb kMarkColour = 0xFFE58A;
constexpr QRgb kCurrentMarkColour = 0xFF9F43;

struct TLink {
  int start;
  int length;
  QString address;
};

// Web addresses in a line, without the punctuation that ends a sentence.
std::vector<TLink> LinksIn(const QString& text) {
  static const QRegularExpression kAddress(QStringLiteral("(https?://|www\\.)[^\\s<>\"]+"),
                                           QRegularExpression::CaseInsensitiveOption);
  std::vector<TLink> links;
  for (auto match = kAddress.globalMatch(text); match.hasNext();) {
    const QRegularExpressionMatch found = match.next();
    QString shown = found.captured();
    while (shown.endsWith(QLatin1Char('.')) || shown.endsWith(QLatin1Char(',')) || shown.endsWith(QLatin1Char(')')))
      shown.chop(1);
    const QString address = shown.contains(QLatin1String("://")) ? shown : QStringLiteral("http://") + shown;
    links.push_back({static_cast<int>(found.capturedStart()), static_cast<int>(shown.size()), address});
  }
  return links;
}

QTextCharFormat RunFormat(const TTextRun& run) {
  QTextCharFormat format;
  format.setForeground(QColor(run.colour));
  if (run.style & kRunBold) format.setFontWeight(QFont::Bold);
  if (run.style & kRunItalic) format.setFontItalic(true);
  if (run.style & kRunUnderline) format.setFontUnderline(true);
  return format;
}

QTextLayout::FormatRange Behind(int start, int length, const QColor& colour) {
  QTextLayout::FormatRange range{start, length, {}};
  range.format.setBackground(colour);
  return range;
}

// The row of a wrapped line at `y` from its top; the last below it.
QTextLine TextRowAt(const QTextLayout& layout, int y) {
  for (int i = 0; i < layout.lineCount() - 1; ++i)
    if (y < layout.lineAt(i).y() + layout.lineAt(i).height()) return layout.lineAt(i);
  return layout.lineAt(layout.lineCount() - 1);
}

}  // namespace

struct TPaneView::TLaidLine {
  QTextLayout layout;
  std::vector<TLink> links;
  int height = 0;
};

TPaneView::TPaneView(QWidget* parent) : QAbstractScrollArea(parent) {
  setFrameStyle(0);
  setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
  setFocusPolicy(Qt::StrongFocus);
  viewport()->setCursor(Qt::ArrowCursor);
  viewport()->setMouseTracking(true);
  connect(verticalScrollBar(), &QScrollBar::valueChanged, this, &TPaneView::BarMoved);
}

TPaneView::~TPaneView() = default;

void TPaneView::LinesAdded(int count) {
  if (!following_) SetWaiting(waiting_ + count);
  SyncBar();
}

void TPaneView::ScrollToEnd() {
  following_ = true;
  SetWaiting(0);
  SyncBar();
}

void TPaneView::Reveal(int64_t line) {
  if (!lines_.Has(line)) return;
  int room = (viewport()->height() - Laid(line).height) / 2;
  int64_t top = line;
  while (top > lines_.First() && (room -= Laid(top - 1).height) >= 0) --top;
  top_ = top;
  following_ = false;
  SyncBar();
  following_ = verticalScrollBar()->value() >= verticalScrollBar()->maximum();
  if (following_) SetWaiting(0);
}

QRect TPaneView::LineRect(int64_t line) const {
  for (const TRow& row : Rows())
    if (row.line == line) return QRect(0, row.top, viewport()->width(), row.height);
  return {};
}

int64_t TPaneView::TopLine() const {
  const std::vector<TRow> rows = Rows();
  return rows.empty() ? lines_.First() : rows.front().line;
}

QString TPaneView::SelectedText() const {
  return HasSelection() ? lines_.Text(std::min(anchor_, cursor_), std::max(anchor_, cursor_)) : QString();
}

void TPaneView::SelectAll() {
  if (lines_.Count() == 0) return;
  anchor_ = {lines_.First(), 0};
  cursor_ = {lines_.End(), 0};
  viewport()->update();
}

void TPaneView::Copy() const {
  if (HasSelection()) QApplication::clipboard()->setText(SelectedText());
}

void TPaneView::SetMarks(std::vector<TPaneMatch> marks, int current) {
  marks_ = std::move(marks);
  current_ = current;
  viewport()->update();
}

// As the input line's menu, for what a pane can do.
QMenu* TPaneView::ContextMenu() {
  auto* menu = new QMenu(this);
  AddMenuEntry(menu, "복사", QKeySequence::Copy, HasSelection(), [this] { Copy(); });
  AddMenuEntry(menu, "모두 선택", QKeySequence::SelectAll, lines_.Count() > 0, [this] { SelectAll(); });
  menu->addSeparator();
  AddMenuEntry(menu, "찾기...", QKeySequence::Find, true, [this] {
    if (OnFind) OnFind();
  });
  return menu;
}

QColor TPaneView::ColourAt(int index, int offset) const {
  const int64_t line = index < 0 ? lines_.End() + index : lines_.First() + index;
  return lines_.Has(line) ? QColor(lines_.ColourAt(line, offset)) : QColor();
}

void TPaneView::paintEvent(QPaintEvent*) {
  QPainter painter(viewport());
  const std::vector<TRow> rows = Rows();
  const TPanePos from = std::min(anchor_, cursor_);
  const TPanePos to = std::max(anchor_, cursor_);
  for (const TRow& row : rows) {
    const uint32_t band = lines_.At(row.line).band;
    if (band) painter.fillRect(0, row.top, viewport()->width(), row.height, QColor(band));
    const QTextLayout& layout = Laid(row.line).layout;
    QList<QTextLayout::FormatRange> over;
    for (size_t i = 0; i < marks_.size(); ++i)
      if (marks_[i].line == row.line)
        over << Behind(marks_[i].start, marks_[i].length,
                       QColor(static_cast<int>(i) == current_ ? kCurrentMarkColour : kMarkColour));
    if (HasSelection() && row.line >= from.line && row.line <= to.line) {
      const int start = row.line == from.line ? from.offset : 0;
      const int end = row.line == to.line ? to.offset : static_cast<int>(layout.text().size()) + 1;
      QTextLayout::FormatRange chosen = Behind(start, end - start, palette().color(QPalette::Highlight));
      chosen.format.setForeground(palette().color(QPalette::HighlightedText));
      over << chosen;
    }
    layout.draw(&painter, QPointF(kMargin, row.top), over);
  }
  KeepLaid(rows);
}

void TPaneView::resizeEvent(QResizeEvent* event) {
  QAbstractScrollArea::resizeEvent(event);
  DropLayouts();
  SyncBar();
}

// A window shown again lays out the lines in sight at once.
void TPaneView::showEvent(QShowEvent* event) {
  QAbstractScrollArea::showEvent(event);
  SyncBar();
}

void TPaneView::hideEvent(QHideEvent* event) {
  QAbstractScrollArea::hideEvent(event);
  DropLayouts();
}

void TPaneView::changeEvent(QEvent* event) {
  QAbstractScrollArea::changeEvent(event);
  if (event->type() != QEvent::FontChange) return;
  DropLayouts();
  SyncBar();
}

void TPaneView::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return QAbstractScrollArea::mousePressEvent(event);
  const TPanePos at = PosAt(event->position().toPoint());
  if (!(event->modifiers() & Qt::ShiftModifier)) anchor_ = at;
  cursor_ = at;
  selecting_ = true;
  viewport()->update();
}

// Dragged past the top or the foot, the view scrolls a line at a time.
void TPaneView::mouseMoveEvent(QMouseEvent* event) {
  const QPoint point = event->position().toPoint();
  if (!selecting_) {
    viewport()->setCursor(LinkAt(point).isEmpty() ? Qt::ArrowCursor : Qt::PointingHandCursor);
    return;
  }
  if (point.y() < 0) verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
  if (point.y() >= viewport()->height()) verticalScrollBar()->triggerAction(QAbstractSlider::SliderSingleStepAdd);
  cursor_ = PosAt(point);
  viewport()->update();
}

void TPaneView::mouseReleaseEvent(QMouseEvent* event) {
  if (!selecting_ || event->button() != Qt::LeftButton) return QAbstractScrollArea::mouseReleaseEvent(event);
  selecting_ = false;
  if (HasSelection()) {
    Copy();
  } else if (const QString link = LinkAt(event->position().toPoint()); !link.isEmpty()) {
    QDesktopServices::openUrl(QUrl(link));
  }
  if (OnSelectionEnded) OnSelectionEnded();
}

void TPaneView::contextMenuEvent(QContextMenuEvent* event) {
  QMenu* menu = ContextMenu();
  menu->setAttribute(Qt::WA_DeleteOnClose);
  menu->popup(event->globalPos());
}

void TPaneView::keyPressEvent(QKeyEvent* event) {
  if (event->matches(QKeySequence::Copy))
    Copy();
  else if (event->matches(QKeySequence::SelectAll))
    SelectAll();
  else if (event->key() == Qt::Key_Home && event->modifiers() == Qt::ControlModifier)
    verticalScrollBar()->triggerAction(QAbstractSlider::SliderToMinimum);
  else if (event->key() == Qt::Key_End && event->modifiers() == Qt::ControlModifier)
    ScrollToEnd();
  else
    QAbstractScrollArea::keyPressEvent(event);
}

const TPaneView::TLaidLine& TPaneView::Laid(int64_t line) const {
  std::unique_ptr<TLaidLine>& laid = laid_[line];
  if (laid) return *laid;
  laid = std::make_unique<TLaidLine>();
  const TShownLine shown = lines_.Shown(line);
  laid->links = LinksIn(shown.text);
  QList<QTextLayout::FormatRange> formats;
  for (const TTextRun& run : shown.runs) formats << QTextLayout::FormatRange{run.start, run.length, RunFormat(run)};
  for (const TLink& link : laid->links) {
    QTextLayout::FormatRange underline{link.start, link.length, {}};
    underline.format.setFontUnderline(true);
    formats << underline;
  }
  QTextLayout& layout = laid->layout;
  layout.setText(shown.text);
  layout.setFont(font());
  QTextOption option;
  option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
  layout.setTextOption(option);
  layout.setFormats(formats);
  layout.beginLayout();
  const qreal width = std::max(1, viewport()->width() - 2 * kMargin);
  qreal y = 0;
  for (QTextLine row = layout.createLine(); row.isValid(); row = layout.createLine()) {
    row.setLineWidth(width);
    row.setPosition(QPointF(0, y));
    y += row.height();
  }
  layout.endLayout();
  laid->height = static_cast<int>(std::ceil(y));
  return *laid;
}

bool TPaneView::AtEnd() const {
  return following_ || top_ - lines_.First() >= verticalScrollBar()->maximum();
}

// The lines in sight, each where it starts in the viewport: down from the
// first in sight, or up from the newest at the end.
std::vector<TPaneView::TRow> TPaneView::Rows() const {
  std::vector<TRow> rows;
  const int height = viewport()->height();
  if (AtEnd()) {
    int top = height - kMargin;
    for (int64_t line = lines_.End() - 1; line >= lines_.First() && top > 0; --line) {
      const int rowHeight = Laid(line).height;
      top -= rowHeight;
      rows.push_back({line, top, rowHeight});
    }
    std::reverse(rows.begin(), rows.end());
    // Fewer lines than the view holds start at its top.
    const int spare = rows.empty() ? 0 : rows.front().top - kMargin;
    if (spare > 0)
      for (TRow& row : rows) row.top -= spare;
  } else {
    int top = kMargin;
    for (int64_t line = std::max(top_, lines_.First()); line < lines_.End() && top < height; ++line) {
      const int rowHeight = Laid(line).height;
      rows.push_back({line, top, rowHeight});
      top += rowHeight;
    }
  }
  return rows;
}

// How many of the newest lines fit whole in the view.
int TPaneView::FitAtEnd() const {
  int room = viewport()->height() - 2 * kMargin;
  int fit = 0;
  for (int64_t line = lines_.End() - 1; line >= lines_.First() && (room -= Laid(line).height) >= 0; --line) ++fit;
  return std::max(fit, 1);
}

// The scroll bar counts lines: its value is the first line in sight, its
// end shows the newest lines. A hidden view lays nothing out for it.
void TPaneView::SyncBar() {
  syncing_ = true;
  QScrollBar* bar = verticalScrollBar();
  const int fit = isVisible() ? FitAtEnd() : 1;
  const int most = std::max(0, lines_.Count() - fit);
  top_ = std::max(top_, lines_.First());
  bar->setRange(0, most);
  bar->setPageStep(fit);
  bar->setValue(following_ ? most : static_cast<int>(std::min<int64_t>(top_ - lines_.First(), most)));
  syncing_ = false;
  // A window under others gets no paint that would drop the lines gone by.
  if (isVisible()) KeepLaid(Rows());
  viewport()->update();
}

void TPaneView::BarMoved(int value) {
  if (syncing_) return;
  following_ = value >= verticalScrollBar()->maximum();
  top_ = lines_.First() + value;
  if (following_) SetWaiting(0);
  viewport()->update();
}

TPanePos TPaneView::PosAt(QPoint point) const {
  const std::vector<TRow> rows = Rows();
  if (rows.empty()) return {lines_.First(), 0};
  if (point.y() < rows.front().top) return {rows.front().line, 0};
  for (const TRow& row : rows)
    if (point.y() < row.top + row.height)
      return {row.line, TextRowAt(Laid(row.line).layout, point.y() - row.top).xToCursor(point.x() - kMargin)};
  return {rows.back().line, static_cast<int>(Laid(rows.back().line).layout.text().size())};
}

QString TPaneView::LinkAt(QPoint point) const {
  for (const TRow& row : Rows()) {
    if (point.y() < row.top || point.y() >= row.top + row.height) continue;
    const TLaidLine& laid = Laid(row.line);
    const QTextLine text = TextRowAt(laid.layout, point.y() - row.top);
    if (point.x() - kMargin > text.x() + text.naturalTextWidth()) return {};
    const int at = text.xToCursor(point.x() - kMargin, QTextLine::CursorOnCharacter);
    for (const TLink& link : laid.links)
      if (at >= link.start && at < link.start + link.length) return link.address;
  }
  return {};
}

void TPaneView::SetWaiting(int waiting) {
  if (waiting == waiting_) return;
  waiting_ = waiting;
  if (OnWaitingChanged) OnWaitingChanged();
}

void TPaneView::DropLayouts() { laid_.clear(); }

// Only the lines in sight keep their layouts.
void TPaneView::KeepLaid(const std::vector<TRow>& rows) const {
  std::erase_if(laid_, [&](const auto& entry) {
    return std::none_of(rows.begin(), rows.end(), [&](const TRow& row) { return row.line == entry.first; });
  });
}
