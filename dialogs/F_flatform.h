// The flat frame every window but the main window is drawn in: a caption bar,
// a one-pixel frame and three caption buttons painted in the colours of a
// frame colour record, with moving and resizing under the mouse.
#pragma once

#include <QFont>
#include <QRect>
#include <QWidget>
#include <cstdint>
#include <vector>

#include "U_framecolors.h"

// One of the forms' faces, "굴림" or "굴림체" (NanumGothic and NanumGothicCoding
// stand in), at their 12 pixels, unhinted: the auto-hinter reads
// some seventy sample glyphs spread over the whole font file for each face
// (2 MB of its pages), and hinted at 12 pixels the coding face cuts its
// descenders short by a pixel.
QFont FaceFont(const char* utf8Family);

class TFlatForm : public QWidget {
  Q_OBJECT

 public:
  // What a point of the frame is, numbered as the frame keeps them.
  enum Region : uint8_t {
    None = 0,
    TopLeft,
    Top,
    TopRight,
    Right,
    BottomRight,
    Bottom,
    BottomLeft,
    Left,
    Caption,
    HideButton,
    GripButton,
    CloseButton,
  };

  static constexpr int kMinWidth = 140;
  static constexpr int kMinHeight = 30;

  // A top-level window when `asWindow`, else a child of `owner` (a sub-window
  // inside a panel). `design` is the content size below the caption bar.
  explicit TFlatForm(QWidget* owner, bool asWindow, QSize design = QSize(254, 169));

  void ApplyFrameColors(const TFrameColorRecord& record);
  Region HitTest(const QPoint& globalPos) const;
  QRect ButtonRect(Region button) const;
  // Keeps `control` (a child of pClient) at its distance from the given edges
  // when the content panel changes size; left and top are always kept.
  void SetAnchors(QWidget* control, Qt::Edges edges);
  // Centres a window on its owner (on the screen when it has none shown).
  void CentreOnOwner();

  QWidget* pClient;
  int ButtonTop = 2;
  bool Sizeable = true;
  bool CloseEnabled = true;
  bool HideEnabled = true;
  Region HotRegion = None;
  Region PressedRegion = None;
  Region LastHotRegion = None;
  uint32_t CaptionBack = 0;
  uint32_t ActiveCaptionBack = 0x808080;
  uint32_t CaptionText = 0xFFFFFF;
  uint32_t ActiveCaptionText = 0;
  uint32_t FrameLine = 0;
  uint32_t BodyColor = 0xFFFFFF;
  uint32_t ButtonLine = 0xFFFFFF;
  uint32_t ButtonFace = 0x808080;
  uint32_t ButtonHotFace = 0xFFFFFF;
  uint32_t ButtonGlyph = 0;
  int CaptionHeight = 18;
  int ButtonSize = 14;

 protected:
  virtual bool IsActiveFrame() { return true; }
  virtual bool CloseClicked() { return false; }
  virtual void FrameMoved() {}
  virtual void FrameSized() {}

  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void leaveEvent(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  struct Anchor {
    QWidget* control;
    Qt::Edges edges;
    QMargins gap;  // distance to the panel's right and bottom at anchoring time
  };

  void Layout(bool initial);
  void ApplyBodyColor();
  void PlaceClient();
  void SetCursorFor(Region region);
  void Drag(const QPoint& globalPos);
  QRect DraggedGeometry(Region pressed, int dx, int dy) const;
  void ToggleMaximised();
  void PaintButton(class QPainter& painter, Region button) const;
  void FollowAnchors();
  void ClearHotRegion();

  QPoint dragOrigin_;
  bool dragged_ = false;  // the press has moved or sized the frame
  QRect normalGeometry_;  // before a child frame was maximised
  std::vector<Anchor> anchors_;
};
