#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QScreen>
#include <gtest/gtest.h>

#include "F_flatform.h"
#include "frame_input.h"
#include "wait_until.h"

namespace {

class TestFrame : public TFlatForm {
 public:
  explicit TestFrame(QWidget* owner = nullptr, bool asWindow = true) : TFlatForm(owner, asWindow) {}

  bool active = true;
  bool handleClose = false;
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

// Every colour distinct, so that a pixel tells which field painted it.
const TFrameColorRecord kColours{0x112233, 0x223344, 0x334455, 0x445566, 0x556677, 0x667788,
                                 0x778899, 0x8899AA, 0x99AABB, 0xAABBCC, 18,       14};

uint32_t Pixel(const QImage& image, int x, int y) { return image.pixel(x, y) & 0xFFFFFF; }

// Pixels of the caption text area that are nearer the text colour than the caption background.
int TextPixels(const QImage& image, uint32_t text, uint32_t back) {
  auto distance = [](QRgb a, uint32_t b) {
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
  };
  int count = 0;
  for (int y = 3; y < 16; ++y)
    for (int x = 2; x < 80; ++x) count += distance(image.pixel(x, y), text) < distance(image.pixel(x, y), back);
  return count;
}

struct FrameTest : testing::Test {
  void SetUp() override {
    frame.setGeometry(300, 200, 256, 188);
    frame.show();
  }
  QPoint At(int x, int y) const { return Global(&frame, QPoint(x, y)); }
  QPoint Centre(TFlatForm::Region button) const { return Global(&frame, frame.ButtonRect(button).center()); }

  TestFrame frame;
};

TEST_F(FrameTest, ContentSitsBelowTheCaptionInsideAOnePixelFrame) {
  TestFrame designed;
  auto* label = new QLabel("x", designed.pClient);
  label->setGeometry(10, 20, 50, 12);
  EXPECT_EQ(designed.size(), QSize(256, 188));
  EXPECT_EQ(designed.pClient->geometry(), QRect(1, 18, 254, 169));
  EXPECT_EQ(label->mapTo(&designed, QPoint(0, 0)), QPoint(11, 38));
  EXPECT_EQ(QFontInfo(designed.font()).family(), "NanumGothic");
  EXPECT_EQ(QFontInfo(label->font()).family(), "NanumGothicCoding");
  designed.show();
  designed.resize(300, 250);
  EXPECT_EQ(designed.pClient->geometry(), QRect(1, 18, 298, 231));
}

TEST_F(FrameTest, RecordSizesApplyOnlyWhenTheCaptionIsTheSmaller) {
  TFrameColorRecord record = kColours;
  record[CaptionHeightSlot] = 12;
  record[ButtonSizeSlot] = 16;
  frame.ApplyFrameColors(record);
  EXPECT_EQ(frame.CaptionHeight, 12);
  EXPECT_EQ(frame.ButtonSize, 16);
  EXPECT_EQ(frame.ButtonTop, -2);
  EXPECT_EQ(frame.pClient->geometry(), QRect(1, 12, 254, 169));
  EXPECT_EQ(frame.height(), 169 + 12 + 1);
  EXPECT_EQ(frame.BodyColor, 0x667788u);
  EXPECT_EQ(frame.pClient->palette().color(QPalette::Window), QColor(0x66, 0x77, 0x88));

  record[CaptionHeightSlot] = 18;
  record[ButtonSizeSlot] = 14;
  frame.ApplyFrameColors(record);
  EXPECT_EQ(frame.CaptionHeight, 12);
  EXPECT_EQ(frame.ButtonSize, 16);

  record[CaptionHeightSlot] = 12;
  record[ButtonSizeSlot] = 17;
  frame.ApplyFrameColors(record);
  EXPECT_EQ(frame.ButtonTop, -3);  // rounded toward minus infinity

  record[CaptionHeightSlot] = 20;
  record[ButtonSizeSlot] = 0x7FFFFFFF;
  frame.ApplyFrameColors(record);
  EXPECT_EQ(frame.CaptionHeight, 20);
  EXPECT_EQ(frame.ButtonSize, 17);
}

TEST_F(FrameTest, HitTestOfTheNarrowestFrame) {
  frame.setGeometry(100, 100, 140, 60);
  EXPECT_EQ(frame.ButtonRect(TFlatForm::HideButton).left(), 92);
  const std::vector<std::pair<QPoint, TFlatForm::Region>> cases = {
      {{0, 0}, TFlatForm::TopLeft},      {{0, 59}, TFlatForm::BottomLeft},   {{0, 30}, TFlatForm::Left},
      {{139, 0}, TFlatForm::TopRight},   {{50, 0}, TFlatForm::Top},          {{139, 59}, TFlatForm::BottomRight},
      {{139, 30}, TFlatForm::Right},     {{50, 59}, TFlatForm::Bottom},      {{92, 2}, TFlatForm::HideButton},
      {{105, 15}, TFlatForm::HideButton}, {{91, 2}, TFlatForm::Caption},     {{106, 2}, TFlatForm::Caption},
      {{108, 2}, TFlatForm::GripButton}, {{124, 2}, TFlatForm::CloseButton}, {{137, 15}, TFlatForm::CloseButton},
      {{138, 2}, TFlatForm::Caption},    {{124, 16}, TFlatForm::Caption},    {{50, 17}, TFlatForm::Caption},
      {{50, 18}, TFlatForm::None},       {{-5, -5}, TFlatForm::None},        {{139, 2}, TFlatForm::Right},
  };
  for (const auto& [point, region] : cases)
    EXPECT_EQ(frame.HitTest(At(point.x(), point.y())), region) << point.x() << "," << point.y();
}

TEST_F(FrameTest, PaintsTheRecordInActiveAndInactiveColours) {
  frame.setWindowTitle(QString::fromUtf8("대화명 변경하기"));
  frame.ApplyFrameColors(kColours);
  const QRect hide = frame.ButtonRect(TFlatForm::HideButton);
  const QRect grip = frame.ButtonRect(TFlatForm::GripButton);
  const QRect close = frame.ButtonRect(TFlatForm::CloseButton);
  Hover(&frame, Centre(TFlatForm::GripButton));
  QImage image = frame.grab().toImage();
  SaveGrab(&frame, "frame_active");

  EXPECT_EQ(Pixel(image, 0, 100), 0x556677u);
  EXPECT_EQ(Pixel(image, 255, 100), 0x556677u);
  EXPECT_EQ(Pixel(image, 100, 187), 0x556677u);
  EXPECT_EQ(Pixel(image, 100, 0), 0x556677u);
  EXPECT_EQ(Pixel(image, 20, 17), 0x556677u);  // the caption's own bottom line
  EXPECT_EQ(Pixel(image, 150, 8), 0x445566u);
  EXPECT_EQ(Pixel(image, 100, 100), 0x667788u);
  EXPECT_EQ(Pixel(image, hide.left(), hide.top() + 6), 0x778899u);
  EXPECT_EQ(Pixel(image, hide.right(), hide.top() + 6), 0x778899u);
  EXPECT_EQ(Pixel(image, hide.left() + 2, hide.top() + 3), 0x99AABBu);
  EXPECT_EQ(Pixel(image, hide.left() + 5, hide.top() + frame.ButtonSize - 4), 0x8899AAu);
  EXPECT_EQ(Pixel(image, grip.left() + 5, grip.top() + 5), 0xAABBCCu);  // under the mouse
  EXPECT_EQ(Pixel(image, close.left() + 5, close.top() + 5), 0x8899AAu);
  EXPECT_EQ(Pixel(image, close.right() - 5, close.top() + 5), 0x8899AAu);
  EXPECT_EQ(Pixel(image, close.left() + 5, close.top() + 2), 0x99AABBu);
  EXPECT_GT(TextPixels(image, 0x223344, 0x445566), 20);

  frame.active = false;
  Hover(&frame, At(150, 100));
  image = frame.grab().toImage();
  SaveGrab(&frame, "frame_inactive");
  EXPECT_EQ(Pixel(image, 150, 8), 0x334455u);
  EXPECT_EQ(Pixel(image, grip.left() + 5, grip.top() + 5), 0x99AABBu);
  EXPECT_GT(TextPixels(image, 0x112233, 0x334455), 20);
}

TEST_F(FrameTest, NarrowestFrameStillShowsItsThreeButtons) {
  frame.setWindowTitle(QString::fromUtf8("공지사항 아주 긴 제목이 버튼 아래로"));
  frame.resize(100, 20);
  ASSERT_EQ(frame.size(), QSize(140, 30));
  const QImage image = frame.grab().toImage();
  SaveGrab(&frame, "frame_narrowest");
  for (TFlatForm::Region button : {TFlatForm::HideButton, TFlatForm::GripButton, TFlatForm::CloseButton}) {
    const QRect r = frame.ButtonRect(button);
    EXPECT_EQ(Pixel(image, r.left(), r.top() + 6), 0xFFFFFFu);
    EXPECT_EQ(Pixel(image, r.left() + 2, r.top() + 1), 0x808080u);
  }
}

TEST_F(FrameTest, CursorFollowsTheRegion) {
  const std::vector<std::pair<QPoint, Qt::CursorShape>> cases = {
      {At(0, 0), Qt::SizeFDiagCursor},      {At(255, 187), Qt::SizeFDiagCursor},
      {At(100, 0), Qt::SizeVerCursor},      {At(100, 187), Qt::SizeVerCursor},
      {At(255, 0), Qt::SizeBDiagCursor},    {At(0, 187), Qt::SizeBDiagCursor},
      {At(0, 100), Qt::SizeHorCursor},      {At(255, 100), Qt::SizeHorCursor},
      {At(50, 8), Qt::PointingHandCursor},  {Centre(TFlatForm::GripButton), Qt::SizeAllCursor},
      {At(100, 100), Qt::ArrowCursor},      {Centre(TFlatForm::HideButton), Qt::PointingHandCursor},
  };
  for (const auto& [point, shape] : cases) {
    Hover(&frame, point);
    EXPECT_EQ(frame.cursor().shape(), shape) << frame.HotRegion;
  }
}

TEST_F(FrameTest, FrameWithoutSizingKeepsItsCursorOnEdgesAndGrip) {
  frame.Sizeable = false;
  frame.HideEnabled = false;
  for (QPoint point : {At(0, 100), At(255, 187), Centre(TFlatForm::GripButton), Centre(TFlatForm::HideButton)}) {
    Hover(&frame, At(100, 100));
    Hover(&frame, point);
    EXPECT_EQ(frame.cursor().shape(), Qt::ArrowCursor) << frame.HotRegion;
  }
  Hover(&frame, Centre(TFlatForm::CloseButton));
  EXPECT_EQ(frame.cursor().shape(), Qt::PointingHandCursor);
}

struct DragCase {
  const char* name;
  QPoint start;  // in the frame at 300,200 sized 256 x 188
  QRect expected;
  int moved, sized;
};

class FrameDrag : public FrameTest, public testing::WithParamInterface<DragCase> {};

TEST_P(FrameDrag, MovesOrResizesInTwoSteps) {
  const DragCase& c = GetParam();
  const QPoint start = c.start.x() < 0 ? Centre(TFlatForm::GripButton) : At(c.start.x(), c.start.y());
  Press(&frame, start);
  DragTo(&frame, start + QPoint(6, 4));
  DragTo(&frame, start + QPoint(12, 8));
  Release(&frame, start + QPoint(12, 8));
  EXPECT_EQ(frame.geometry(), c.expected);
  EXPECT_EQ(frame.moved, c.moved);
  EXPECT_EQ(frame.sized, c.sized);
  EXPECT_EQ(frame.PressedRegion, TFlatForm::None);
}

INSTANTIATE_TEST_SUITE_P(
    Regions, FrameDrag,
    testing::Values(DragCase{"TopLeft", {0, 0}, {312, 208, 244, 180}, 0, 2},
                    DragCase{"Top", {100, 0}, {300, 208, 256, 180}, 0, 2},
                    DragCase{"TopRight", {255, 0}, {300, 208, 268, 180}, 0, 2},
                    DragCase{"Right", {255, 100}, {300, 200, 268, 188}, 0, 2},
                    DragCase{"BottomRight", {255, 187}, {300, 200, 268, 196}, 0, 2},
                    DragCase{"Bottom", {100, 187}, {300, 200, 256, 196}, 0, 2},
                    DragCase{"BottomLeft", {0, 187}, {312, 200, 244, 196}, 0, 2},
                    DragCase{"Left", {0, 100}, {312, 200, 244, 188}, 0, 2},
                    DragCase{"Caption", {50, 8}, {312, 208, 256, 188}, 2, 0},
                    DragCase{"Grip", {-1, -1}, {300, 208, 268, 180}, 0, 2},
                    DragCase{"Content", {100, 100}, {300, 200, 256, 188}, 0, 0},
                    DragCase{"HideButton", {212, 8}, {300, 200, 256, 188}, 0, 0}),
    [](const testing::TestParamInfo<DragCase>& info) { return std::string(info.param.name); });

TEST_F(FrameTest, ShrinkingStopsAtTheMinimumWithTheFarEdgeInPlace) {
  Press(&frame, At(0, 100));
  DragTo(&frame, At(300, 100));
  Release(&frame, At(300, 100));
  EXPECT_EQ(frame.geometry(), QRect(416, 200, 140, 188));
  Press(&frame, At(100, 0));
  DragTo(&frame, At(100, 300));
  Release(&frame, At(100, 300));
  EXPECT_EQ(frame.geometry(), QRect(416, 358, 140, 30));
}

TEST_F(FrameTest, CloseNeedsPressAndReleaseOnTheButton) {
  const QPoint close = Centre(TFlatForm::CloseButton);
  Press(&frame, close);
  DragTo(&frame, At(50, 8));
  Release(&frame, At(50, 8));
  EXPECT_TRUE(frame.isVisible());
  EXPECT_EQ(frame.geometry(), QRect(300, 200, 256, 188));  // a pressed button drags nothing

  frame.handleClose = true;
  Press(&frame, close);
  DragTo(&frame, At(50, 8));
  DragTo(&frame, close);
  Release(&frame, close);
  EXPECT_EQ(frame.closeClicks, 1);
  EXPECT_TRUE(frame.isVisible());

  frame.CloseEnabled = false;
  Press(&frame, close);
  Release(&frame, close);
  EXPECT_EQ(frame.closeClicks, 1);
  EXPECT_TRUE(frame.isVisible());

  frame.CloseEnabled = true;
  frame.handleClose = false;
  Press(&frame, close);
  Release(&frame, close);
  EXPECT_EQ(frame.closeClicks, 2);
  EXPECT_FALSE(frame.isVisible());
}

TEST_F(FrameTest, HideKeepsTheFrameAndCanBeUndone) {
  const QPoint hide = Centre(TFlatForm::HideButton);
  frame.HideEnabled = false;
  Press(&frame, hide);
  Release(&frame, hide);
  EXPECT_TRUE(frame.isVisible());

  frame.HideEnabled = true;
  Press(&frame, hide);
  Release(&frame, At(50, 8));
  EXPECT_TRUE(frame.isVisible());
  Press(&frame, hide);
  Release(&frame, hide);
  EXPECT_FALSE(frame.isVisible());
  frame.show();
  EXPECT_TRUE(frame.isVisible());
  EXPECT_EQ(frame.geometry(), QRect(300, 200, 256, 188));
}

TEST_F(FrameTest, DoubleClickOnTheCaptionMaximisesAndRestores) {
  DoubleClick(&frame, At(212, 8));  // on the hide button: nothing
  EXPECT_FALSE(frame.isMaximized());
  DoubleClick(&frame, At(50, 8));
  EXPECT_TRUE(frame.isMaximized());
  const QRect screen = frame.screen()->availableGeometry();
  EXPECT_TRUE(WaitUntil([&] { return frame.geometry() == screen; }, 1000)) << frame.geometry().x() << " " << frame.geometry().width();
  DoubleClick(&frame, Global(&frame, QPoint(50, 8)));
  EXPECT_FALSE(frame.isMaximized());
  EXPECT_TRUE(WaitUntil([&] { return frame.geometry() == QRect(300, 200, 256, 188); }, 1000));

  frame.Sizeable = false;
  DoubleClick(&frame, At(50, 8));
  EXPECT_FALSE(frame.isMaximized());
}

TEST_F(FrameTest, WithoutSizingTheGripIsDeadButTheEdgesStillResize) {
  frame.Sizeable = false;
  const QPoint grip = Centre(TFlatForm::GripButton);
  Press(&frame, grip);
  DragTo(&frame, grip + QPoint(20, -20));
  Release(&frame, grip + QPoint(20, -20));
  EXPECT_EQ(frame.geometry(), QRect(300, 200, 256, 188));
  EXPECT_EQ(frame.sized, 0);
  Press(&frame, At(255, 100));
  DragTo(&frame, At(265, 100));
  Release(&frame, At(265, 100));
  EXPECT_EQ(frame.geometry(), QRect(300, 200, 266, 188));
  EXPECT_EQ(frame.sized, 1);
}

TEST(ChildFrame, MovesAndMaximisesInsideItsPanel) {
  QWidget panel;
  panel.resize(600, 400);
  TestFrame frame(&panel, false);
  frame.setGeometry(20, 30, 256, 188);
  panel.show();
  const QPoint caption = Global(&frame, QPoint(50, 8));
  Press(&frame, caption);
  DragTo(&frame, caption + QPoint(15, 5));
  Release(&frame, caption + QPoint(15, 5));
  EXPECT_EQ(frame.geometry(), QRect(35, 35, 256, 188));
  EXPECT_EQ(frame.moved, 1);

  DoubleClick(&frame, Global(&frame, QPoint(50, 8)));
  EXPECT_EQ(frame.geometry(), QRect(0, 0, 600, 400));
  EXPECT_EQ(frame.pClient->geometry(), QRect(1, 18, 598, 381));
  DoubleClick(&frame, Global(&frame, QPoint(50, 8)));
  EXPECT_EQ(frame.geometry(), QRect(35, 35, 256, 188));
  EXPECT_TRUE(panel.isVisible());
}

}  // namespace
