#include <QImage>
#include <gtest/gtest.h>

#include "F_flatform.h"
#include "frame_input.h"

namespace {

using R = TFlatForm;

// A shown window at 300,200 sized 256 x 188 that counts what the frame reports.
class TestFrame : public TFlatForm {
 public:
  TestFrame() : TFlatForm(nullptr, true) {
    setGeometry(300, 200, 256, 188);
    show();
  }
  QPoint At(int x, int y) const { return mapToGlobal(QPoint(x, y)); }

  bool active = true, handleClose = false;
  int moved = 0, sized = 0, closeClicks = 0;

 protected:
  bool IsActiveFrame() override { return active; }
  bool CloseClicked() override {
    ++closeClicks;
    return handleClose;
  }
  void FrameMoved() override { ++moved; }
  void FrameSized() override { ++sized; }
};

// At the narrowest width the buttons fill the caption's right end; corners win over edges.
TEST(FlatFrame, HitTestOfTheNarrowestFrame) {
  TestFrame frame;
  frame.setGeometry(100, 100, 140, 60);
  const std::vector<std::pair<QPoint, R::Region>> cases = {
      {{0, 0}, R::TopLeft},       {{139, 59}, R::BottomRight}, {{0, 30}, R::Left},          {{50, 59}, R::Bottom},
      {{92, 2}, R::HideButton},   {{105, 15}, R::HideButton},  {{91, 2}, R::Caption},       {{106, 2}, R::Caption},
      {{108, 2}, R::GripButton},  {{137, 15}, R::CloseButton}, {{138, 2}, R::Caption},      {{124, 16}, R::Caption},
      {{50, 18}, R::None},        {{-5, -5}, R::None},         {{139, 2}, R::Right},
  };
  for (const auto& [point, region] : cases)
    EXPECT_EQ(frame.HitTest(frame.At(point.x(), point.y())), region) << point.x() << "," << point.y();
}

// A record's caption and button sizes apply only as a pair with the caption the smaller.
TEST(FlatFrame, RecordSizesRelayTheFrame) {
  struct Step {
    uint32_t caption, button;
    int captionHeight, buttonSize, buttonTop;
  };
  const Step steps[] = {
      {12, 16, 12, 16, -2},
      {18, 14, 12, 16, -2},          // the caption is not the smaller: both kept
      {12, 17, 12, 17, -3},          // rounded toward minus infinity
      {20, 0x7FFFFFFF, 20, 17, 1},   // a nonsense size is ignored, the other applies
  };
  TestFrame frame;
  TFrameColorRecord record{};
  for (const Step& s : steps) {
    SCOPED_TRACE(testing::Message() << s.caption << "/" << s.button);
    record[CaptionHeightSlot] = s.caption;
    record[ButtonSizeSlot] = s.button;
    frame.ApplyFrameColors(record);
    EXPECT_EQ(frame.CaptionHeight, s.captionHeight);
    EXPECT_EQ(frame.ButtonSize, s.buttonSize);
    EXPECT_EQ(frame.ButtonRect(R::CloseButton).top(), s.buttonTop);
    EXPECT_EQ(frame.pClient->geometry(), QRect(1, s.captionHeight, 254, 169));
  }
}

TEST(FlatFrame, PaintsTheRecordInActiveAndInactiveColours) {
  // Every colour distinct, so that a pixel tells which field painted it; the
  // title colours differ in hue, as anti-aliased text never reaches them.
  const TFrameColorRecord colours{0xCC0000, 0x0000CC, 0x334455, 0x445566, 0x556677, 0x667788,
                                  0x778899, 0x8899AA, 0x99AABB, 0xAABBCC, 18,       14};
  TestFrame frame;
  frame.setWindowTitle(QString::fromUtf8("대화명 변경하기"));
  frame.ApplyFrameColors(colours);
  const QRect hide = frame.ButtonRect(R::HideButton);
  const QRect grip = frame.ButtonRect(R::GripButton);
  const QRect close = frame.ButtonRect(R::CloseButton);
  QImage image;
  auto pixel = [&](int x, int y) { return image.pixel(x, y) & 0xFFFFFF; };
  // Caption pixels nearer `text` than `back`: the title is drawn in `text`.
  auto titlePixels = [&](QColor text, QColor back) {
    int count = 0;
    for (int y = 2; y < 17; ++y)
      for (int x = 2; x < 120; ++x) {
        const QColor c = image.pixelColor(x, y);
        auto far = [&](QColor o) {
          return std::abs(c.red() - o.red()) + std::abs(c.green() - o.green()) + std::abs(c.blue() - o.blue());
        };
        count += far(text) < far(back);
      }
    return count;
  };

  Hover(&frame, ButtonCentre(frame, R::GripButton));
  image = frame.grab().toImage();
  for (QPoint p : {QPoint(0, 100), QPoint(100, 187), QPoint(20, 17)})
    EXPECT_EQ(pixel(p.x(), p.y()), 0x556677u) << "frame line at " << p.x() << "," << p.y();
  EXPECT_EQ(pixel(150, 8), 0x445566u);
  EXPECT_EQ(pixel(100, 100), 0x667788u);
  EXPECT_EQ(pixel(hide.left(), hide.top() + 6), 0x778899u);
  EXPECT_EQ(pixel(hide.left() + 2, hide.top() + 3), 0x99AABBu);
  EXPECT_EQ(pixel(grip.left() + 5, grip.top() + 5), 0xAABBCCu);  // under the mouse
  EXPECT_EQ(pixel(close.left() + 5, close.top() + 5), 0x8899AAu);
  EXPECT_GT(titlePixels(QColor(0x0000CC), QColor(0x445566)), 20);

  frame.active = false;
  Hover(&frame, frame.At(150, 100));
  image = frame.grab().toImage();
  EXPECT_EQ(pixel(150, 8), 0x334455u);
  EXPECT_EQ(pixel(grip.left() + 5, grip.top() + 5), 0x99AABBu);
  EXPECT_GT(titlePixels(QColor(0xCC0000), QColor(0x334455)), 20);
}

// Hovering a point shows its cursor; dragging from it moves the mouse by `step` twice.
TEST(FlatFrame, DraggingMovesOrResizes) {
  struct Case {
    const char* name;
    QPoint start;  // (-1, -1) is the grip button
    QPoint step;
    Qt::CursorShape cursor;
    QRect expected;
    int moved, sized;
    bool sizeable = true;
  };
  const QRect still(300, 200, 256, 188);
  const Case cases[] = {
      {"TopLeft", {0, 0}, {6, 4}, Qt::SizeFDiagCursor, {312, 208, 244, 180}, 0, 2},
      {"TopRight", {255, 0}, {6, 4}, Qt::SizeBDiagCursor, {300, 208, 268, 180}, 0, 2},
      {"Bottom", {100, 187}, {6, 4}, Qt::SizeVerCursor, {300, 200, 256, 196}, 0, 2},
      {"BottomLeft", {0, 187}, {6, 4}, Qt::SizeBDiagCursor, {312, 200, 244, 196}, 0, 2},
      {"Caption", {50, 8}, {6, 4}, Qt::PointingHandCursor, {312, 208, 256, 188}, 2, 0},
      {"Grip", {-1, -1}, {6, 4}, Qt::SizeAllCursor, {300, 208, 268, 180}, 0, 2},
      {"Content", {100, 100}, {6, 4}, Qt::ArrowCursor, still, 0, 0},
      {"HideButton", {212, 8}, {6, 4}, Qt::PointingHandCursor, still, 0, 0},
      // At the minimum size the far edge stays put.
      {"LeftPastMinimum", {0, 100}, {150, 0}, Qt::SizeHorCursor, {416, 200, 140, 188}, 0, 2},
      {"TopPastMinimum", {100, 0}, {0, 150}, Qt::SizeVerCursor, {300, 358, 256, 30}, 0, 2},
      // Without sizing the grip is dead, yet the edges still resize.
      {"FixedGrip", {-1, -1}, {10, -10}, Qt::ArrowCursor, still, 0, 0, false},
      {"FixedEdge", {255, 100}, {5, 0}, Qt::ArrowCursor, {300, 200, 266, 188}, 0, 2, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TestFrame frame;
    frame.Sizeable = c.sizeable;
    const QPoint start = c.start.x() < 0 ? ButtonCentre(frame, R::GripButton) : frame.At(c.start.x(), c.start.y());
    Hover(&frame, start);
    EXPECT_EQ(frame.cursor().shape(), c.cursor);
    Press(&frame, start);
    DragTo(&frame, start + c.step);
    DragTo(&frame, start + 2 * c.step);
    Release(&frame, start + 2 * c.step);
    EXPECT_EQ(frame.geometry(), c.expected);
    EXPECT_EQ(frame.moved, c.moved);
    EXPECT_EQ(frame.sized, c.sized);
    EXPECT_EQ(frame.PressedRegion, R::None);
  }
}

// A caption button acts only when pressed and released on it; leaving it
// while held drags nothing.
TEST(FlatFrame, CaptionButtonsActOnPressAndReleaseInside) {
  struct Case {
    R::Region button;
    bool releaseInside, enabled, handled;
    bool visible;
    int closeClicks;
  };
  const Case cases[] = {
      {R::CloseButton, false, true, false, true, 0},  {R::CloseButton, true, true, true, true, 1},
      {R::CloseButton, true, false, false, true, 0},  {R::CloseButton, true, true, false, false, 1},
      {R::HideButton, false, true, false, true, 0},   {R::HideButton, true, false, false, true, 0},
      {R::HideButton, true, true, false, false, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(&c - cases);
    TestFrame frame;
    (c.button == R::CloseButton ? frame.CloseEnabled : frame.HideEnabled) = c.enabled;
    frame.handleClose = c.handled;
    const QPoint button = ButtonCentre(frame, c.button), end = c.releaseInside ? button : frame.At(50, 8);
    Press(&frame, button);
    DragTo(&frame, frame.At(50, 8));
    DragTo(&frame, end);
    Release(&frame, end);
    EXPECT_EQ(frame.isVisible(), c.visible);
    EXPECT_EQ(frame.closeClicks, c.closeClicks);
    EXPECT_EQ(frame.geometry(), QRect(300, 200, 256, 188));
  }
}

}  // namespace
