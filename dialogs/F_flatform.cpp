#include "F_flatform.h"

#include <algorithm>

#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace {

// Larger caption or button sizes from a record are nonsense; they are ignored
// so that the button arithmetic can never overflow.
constexpr int kMaxFrameSize = 255;

QColor Rgb(uint32_t rgb) { return QColor::fromRgb(rgb & 0xFFFFFF); }

int FloorHalf(int value) { return value >= 0 ? value / 2 : -((1 - value) / 2); }

bool UsableSize(int32_t value) { return value > 0 && value <= kMaxFrameSize; }

// An outline in `line` with the inside filled in `fill`, covering exactly `area`.
void DrawBox(QPainter& painter, const QRect& area, uint32_t line, uint32_t fill) {
  painter.fillRect(area, Rgb(fill));
  painter.setPen(Rgb(line));
  painter.setBrush(Qt::NoBrush);
  painter.drawRect(area.adjusted(0, 0, -1, -1));
}

Qt::CursorShape CursorShapeFor(TFlatForm::Region region) {
  switch (region) {
    case TFlatForm::TopLeft:
    case TFlatForm::BottomRight:
      return Qt::SizeFDiagCursor;
    case TFlatForm::Top:
    case TFlatForm::Bottom:
      return Qt::SizeVerCursor;
    case TFlatForm::TopRight:
    case TFlatForm::BottomLeft:
      return Qt::SizeBDiagCursor;
    case TFlatForm::Left:
    case TFlatForm::Right:
      return Qt::SizeHorCursor;
    case TFlatForm::GripButton:
      return Qt::SizeAllCursor;
    case TFlatForm::Caption:
    case TFlatForm::HideButton:
    case TFlatForm::CloseButton:
      return Qt::PointingHandCursor;
    case TFlatForm::None:
      break;
  }
  return Qt::ArrowCursor;
}

// The forms' faces "굴림" and "굴림체" are not on this system; NanumGothic and
// NanumGothicCoding stand in.
void InstallKoreanFaces() {
  static const bool installed = [] {
    QFont::insertSubstitution(QString::fromUtf8("굴림"), "NanumGothic");
    QFont::insertSubstitution(QString::fromUtf8("굴림체"), "NanumGothicCoding");
    return true;
  }();
  (void)installed;
}

}  // namespace

QFont FaceFont(const char* utf8Family) {
  InstallKoreanFaces();
  QFont font(QString::fromUtf8(utf8Family));
  font.setPixelSize(12);
  font.setHintingPreference(QFont::PreferNoHinting);
  return font;
}

TFlatForm::TFlatForm(QWidget* owner, bool asWindow, QSize design)
    : QWidget(owner, asWindow ? Qt::Window | Qt::FramelessWindowHint : Qt::Widget),
      pClient(new QWidget(this)) {
  setFont(FaceFont("굴림"));
  setMinimumSize(kMinWidth, kMinHeight);
  setMouseTracking(true);
  setAutoFillBackground(true);
  pClient->setFont(FaceFont("굴림체"));
  pClient->setAutoFillBackground(true);
  pClient->setCursor(Qt::ArrowCursor);  // the frame's sizing cursors stop at the content
  pClient->installEventFilter(this);
  pClient->setGeometry(QRect(QPoint(0, 0), design));
  resize(design);
  Layout(true);
}

void TFlatForm::Layout(bool initial) {
  const int contentHeight = pClient->height();
  if (initial)
    resize(width() + 2, height() + CaptionHeight + 1);
  else
    resize(width(), contentHeight + CaptionHeight + 1);
  PlaceClient();
  ApplyBodyColor();
  ButtonTop = FloorHalf(CaptionHeight - ButtonSize);
}

void TFlatForm::PlaceClient() {
  pClient->setGeometry(1, CaptionHeight, width() - 2, height() - CaptionHeight - 1);
}

void TFlatForm::ApplyBodyColor() {
  for (QWidget* w : {static_cast<QWidget*>(this), pClient}) {
    QPalette palette = w->palette();
    palette.setColor(QPalette::Window, Rgb(BodyColor));
    w->setPalette(palette);
  }
}

void TFlatForm::ApplyFrameColors(const TFrameColorRecord& record) {
  CaptionText = record[FrameColorSlot::CaptionText];
  ActiveCaptionText = record[FrameColorSlot::ActiveCaptionText];
  CaptionBack = record[FrameColorSlot::CaptionBack];
  ActiveCaptionBack = record[FrameColorSlot::ActiveCaptionBack];
  FrameLine = record[FrameColorSlot::FrameLine];
  BodyColor = record[FrameColorSlot::BodyColor];
  ButtonLine = record[FrameColorSlot::ButtonLine];
  ButtonGlyph = record[FrameColorSlot::ButtonGlyph];
  ButtonFace = record[FrameColorSlot::ButtonFace];
  ButtonHotFace = record[FrameColorSlot::ButtonHotFace];
  const auto caption = static_cast<int32_t>(record[CaptionHeightSlot]);
  const auto button = static_cast<int32_t>(record[ButtonSizeSlot]);
  if (caption < button) {
    if (UsableSize(caption)) CaptionHeight = caption;
    if (UsableSize(button)) ButtonSize = button;
  }
  Layout(false);
  update();
}

// Over the client the user is looking at, not in the middle of a screen the
// client may occupy a corner of; kept on the screen when larger than the owner.
void TFlatForm::CentreOnOwner() {
  QRect g = geometry();
  const QRect screenArea = screen()->availableGeometry();
  const QWidget* owner = isWindow() ? parentWidget() : nullptr;
  if (owner && owner->isVisible())
    g.moveCenter(owner->mapToGlobal(owner->rect().center()));
  else
    g.moveCenter(screenArea.center());
  g.moveLeft(std::max(screenArea.left(), std::min(g.left(), screenArea.right() + 1 - g.width())));
  g.moveTop(std::max(screenArea.top(), std::min(g.top(), screenArea.bottom() + 1 - g.height())));
  move(g.topLeft());
}

void TFlatForm::SetAnchors(QWidget* control, Qt::Edges edges) {
  const QRect g = control->geometry();
  anchors_.push_back({control, edges, QMargins(0, 0, pClient->width() - g.right(), pClient->height() - g.bottom())});
}

void TFlatForm::FollowAnchors() {
  for (const Anchor& a : anchors_) {
    QRect g = a.control->geometry();
    if (a.edges & Qt::RightEdge) g.setRight(pClient->width() - a.gap.right());
    if (a.edges & Qt::BottomEdge) g.setBottom(pClient->height() - a.gap.bottom());
    a.control->setGeometry(g);
  }
}

bool TFlatForm::eventFilter(QObject* watched, QEvent* event) {
  if (watched == pClient && event->type() == QEvent::Resize) FollowAnchors();
  // The frame hears no leave when the mouse goes on into its content.
  if (watched == pClient && event->type() == QEvent::Enter) ClearHotRegion();
  return QWidget::eventFilter(watched, event);
}

void TFlatForm::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  PlaceClient();
}

QRect TFlatForm::ButtonRect(Region button) const {
  const int hideLeft = width() - (3 * ButtonSize + 6);
  const int step = button == HideButton ? 0 : button == GripButton ? 1 : 2;
  return QRect(hideLeft + step * (ButtonSize + 2), ButtonTop, ButtonSize, ButtonSize);
}

TFlatForm::Region TFlatForm::HitTest(const QPoint& globalPos) const {
  const QPoint p = mapFromGlobal(globalPos);
  const int x = p.x(), y = p.y(), w = width(), h = height();
  if (x == 0) return y == 0 ? TopLeft : y == h - 1 ? BottomLeft : Left;
  if (y == 0) return x == w - 1 ? TopRight : Top;
  if (x == w - 1) return y == h - 1 ? BottomRight : Right;
  if (y == h - 1) return Bottom;
  for (Region button : {HideButton, GripButton, CloseButton})
    if (ButtonRect(button).contains(p)) return button;
  if (x >= 0 && x < w && y >= 0 && y < CaptionHeight) return Caption;
  return None;
}

void TFlatForm::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  const bool active = IsActiveFrame();
  DrawBox(painter, rect(), FrameLine, BodyColor);
  DrawBox(painter, QRect(0, 0, width(), CaptionHeight), FrameLine, active ? ActiveCaptionBack : CaptionBack);
  painter.setFont(font());
  painter.setPen(Rgb(active ? ActiveCaptionText : CaptionText));
  painter.drawText(QRect(2, 2, width(), CaptionHeight), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine,
                   windowTitle());
  for (Region button : {HideButton, GripButton, CloseButton}) PaintButton(painter, button);
}

void TFlatForm::PaintButton(QPainter& painter, Region button) const {
  const QRect r = ButtonRect(button);
  const bool hot = HotRegion == button || PressedRegion == button;
  DrawBox(painter, r, ButtonLine, hot ? ButtonHotFace : ButtonFace);
  painter.setPen(Rgb(ButtonGlyph));
  if (button == HideButton) {
    const int y = ButtonTop + ButtonSize - 4;
    painter.drawLine(r.left() + 3, y, r.left() + ButtonSize - 4, y);
  } else if (button == CloseButton) {
    painter.drawLine(r.topLeft(), r.bottomRight());
    painter.drawLine(r.topRight(), r.bottomLeft());
  }
}

void TFlatForm::SetCursorFor(Region region) {
  switch (region) {
    case HideButton:
      if (!HideEnabled) return;
      break;
    case CloseButton:
      if (!CloseEnabled) return;
      break;
    case Caption:
    case None:
      break;
    default:  // the edges, corners and the grip
      if (!Sizeable) return;
  }
  setCursor(CursorShapeFor(region));
}

void TFlatForm::mousePressEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  HotRegion = HitTest(event->globalPosition().toPoint());
  PressedRegion = HotRegion;
  dragOrigin_ = event->globalPosition().toPoint();
  dragged_ = false;
}

void TFlatForm::mouseMoveEvent(QMouseEvent* event) {
  const QPoint pos = event->globalPosition().toPoint();
  LastHotRegion = HotRegion;
  HotRegion = HitTest(pos);
  if (PressedRegion == None)
    SetCursorFor(HotRegion);
  else
    Drag(pos);
  if (HotRegion != LastHotRegion) update();
}

QRect TFlatForm::DraggedGeometry(Region pressed, int dx, int dy) const {
  const QRect g = geometry();
  const int l = g.left(), t = g.top(), w = g.width(), h = g.height();
  switch (pressed) {
    case TopLeft: return QRect(l + dx, t + dy, w - dx, h - dy);
    case Top: return QRect(l, t + dy, w, h - dy);
    case TopRight: return QRect(l, t + dy, w + dx, h - dy);
    case Right: return QRect(l, t, w + dx, h);
    case BottomRight: return QRect(l, t, w + dx, h + dy);
    case Bottom: return QRect(l, t, w, h + dy);
    case BottomLeft: return QRect(l + dx, t, w - dx, h + dy);
    case Left: return QRect(l + dx, t, w - dx, h);
    case Caption: return QRect(l + dx, t + dy, w, h);
    case GripButton: return Sizeable ? QRect(l, t + dy, w + dx, h - dy) : g;
    default: return g;
  }
}

void TFlatForm::Drag(const QPoint& globalPos) {
  const QPoint delta = globalPos - dragOrigin_;
  const QRect old = geometry();
  QRect g = DraggedGeometry(PressedRegion, delta.x(), delta.y());
  if (g == old) return;
  dragged_ = true;
  // At the minimum size the far edge stays where it is instead of sliding.
  if (g.width() < kMinWidth) {
    if (g.left() != old.left()) g.setLeft(old.right() - kMinWidth + 1);
    g.setWidth(kMinWidth);
  }
  if (g.height() < kMinHeight) {
    if (g.top() != old.top()) g.setTop(old.bottom() - kMinHeight + 1);
    g.setHeight(kMinHeight);
  }
  setGeometry(g);
  dragOrigin_ = globalPos;
  if (PressedRegion == Caption)
    FrameMoved();
  else
    FrameSized();
}

void TFlatForm::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton) return;
  HotRegion = HitTest(event->globalPosition().toPoint());
  const Region pressed = PressedRegion;
  PressedRegion = None;
  if (pressed != HotRegion && isVisible()) update();
  if (pressed == HideButton && HotRegion == HideButton && HideEnabled)
    hide();
  // The middle button, clicked rather than dragged, maximises like a double click.
  else if (pressed == GripButton && HotRegion == GripButton && !dragged_ && Sizeable)
    ToggleMaximised();
  else if (pressed == CloseButton && HotRegion == CloseButton && CloseEnabled && !CloseClicked())
    close();
}

void TFlatForm::mouseDoubleClickEvent(QMouseEvent* event) {
  if (event->button() != Qt::LeftButton || !Sizeable) return;
  if (HitTest(event->globalPosition().toPoint()) != Caption) return;
  ToggleMaximised();
  update();
}

void TFlatForm::ToggleMaximised() {
  if (isWindow()) {
    if (windowState() & Qt::WindowMaximized)
      showNormal();
    else
      showMaximized();
    return;
  }
  if (normalGeometry_.isNull()) {
    normalGeometry_ = geometry();
    setGeometry(parentWidget()->rect());
  } else {
    setGeometry(normalGeometry_);
    normalGeometry_ = QRect();
  }
  FrameSized();
}

void TFlatForm::leaveEvent(QEvent* event) {
  QWidget::leaveEvent(event);
  ClearHotRegion();
}

void TFlatForm::ClearHotRegion() {
  if (PressedRegion != None || HotRegion == None) return;
  HotRegion = None;
  update();
}
