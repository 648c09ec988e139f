// What a channel window's pane does for its reader: it follows the newest
// line unless they scrolled back, a web address opens in the browser, the
// splitter between pane and member list moves.
#include <QDesktopServices>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <gtest/gtest.h>

#include <functional>

#include "F_mchannel.h"
#include "U_subforms.h"
#include "client_fixture.h"
#include "grab.h"
#include "pane_lines.h"
#include "wait_until.h"

namespace {

// Stands in for the browser.
class TBrowser : public QObject {
  Q_OBJECT

 public:
  QStringList opened;
  Q_INVOKABLE void open(const QUrl& url) { opened << url.toString(); }
};

QPoint PointOf(QTextEdit* pane, const QString& text) {
  const QTextCursor found = pane->document()->find(text);
  return pane->cursorRect(found).center() - QPoint(4, 0);
}

// The view ends at the pane's newest line, and that line is in sight.
bool ShowsNewest(TmABSRich* pane) {
  const QScrollBar* bar = pane->rView->verticalScrollBar();
  const QRect newest = pane->rView->cursorRect(QTextCursor(pane->rView->document()->lastBlock()));
  return bar->value() == bar->maximum() && pane->rView->viewport()->rect().contains(newest);
}

QString TopLine(TmABSRich* pane) { return pane->rView->cursorForPosition(QPoint(0, 0)).block().text(); }

void PeerSays(WiredForm& wired, int from, int to) {
  std::string lines;
  for (int i = from; i <= to; ++i) lines += ":bob!u@h PRIVMSG #c :line " + std::to_string(i) + "\r\n";
  wired.server.Write(lines.c_str());
}

bool Arrived(TmChannel* channel, int line) {
  return EventuallyShows([&] { return channel; }, ("<bob> line " + std::to_string(line)).c_str(), 5);
}

TEST(Panes, FollowTheNewestLineUnlessScrolledBack) {
  WiredForm wired;
  wired.form->show();
  wired.server.Write(":me!u@h JOIN :#c\r\n");
  ASSERT_TRUE(WaitUntil([&] { return wired.form->Subforms().FindChannel("#c") != nullptr; }));
  TmChannel* channel = wired.form->Subforms().FindChannel("#c");
  for (int i = 1; i <= 60; ++i) {  // one by one, as a conversation comes
    PeerSays(wired, i, i);
    ASSERT_TRUE(Arrived(channel, i));
  }
  EXPECT_TRUE(WaitUntil([&] { return ShowsNewest(channel); }));
  Grab(*wired.form, "pane-following");

  // Scrolled back, the view keeps its lines, also while the oldest lines
  // leave the pane, and the band counts what waits below.
  QTest::keyClick(channel->rView, Qt::Key_PageUp);
  const QString top = TopLine(channel);
  PeerSays(wired, 61, 215);
  ASSERT_TRUE(Arrived(channel, 215));
  EXPECT_EQ(TopLine(channel), top);
  EXPECT_EQ(channel->WaitingBelow(), 155);
  EXPECT_TRUE(channel->lWaiting->isVisible());
  EXPECT_TRUE(channel->lWaiting->text().contains(QStringLiteral("155")));
  Grab(*wired.form, "pane-waiting");

  // A click on the band goes to the end, and the pane follows again.
  QTest::mouseClick(channel->lWaiting, Qt::LeftButton);
  EXPECT_TRUE(ShowsNewest(channel));
  EXPECT_FALSE(channel->lWaiting->isVisible());
  PeerSays(wired, 216, 220);
  ASSERT_TRUE(Arrived(channel, 220));
  EXPECT_TRUE(ShowsNewest(channel));

  // Paging down to the end by hand does the same.
  QTest::keyClick(channel->rView, Qt::Key_PageUp);
  for (int i = 0; i < 5; ++i) QTest::keyClick(channel->rView, Qt::Key_PageDown);
  PeerSays(wired, 221, 221);
  ASSERT_TRUE(Arrived(channel, 221));
  EXPECT_TRUE(ShowsNewest(channel));

  // Resizing, arranging, hiding and restoring keep it at its end.
  const std::function<void()> moves[] = {[&] { wired.form->resize(900, 700); },
                                         [&] { wired.form->Subforms().Cascade(); },
                                         [&] { channel->hide(), channel->show(); }};
  for (const auto& move : moves) {
    move();
    EXPECT_TRUE(WaitUntil([&] { return ShowsNewest(channel); }));
  }
}

// Only the line that names the user stands on the band; the lines after it
// (a join, another's line, the user's own) do not.
TEST(Panes, TheMentionBandMarksItsLineOnly) {
  WiredForm wired;
  TZoEngine& engine = wired.form->Client().Engine();
  engine.SimulateLine(":me!u@h JOIN :#c");
  for (const char* line : {":bob!u@h PRIVMSG #c :me: look", ":ann!u@h JOIN :#c", ":bob!u@h PRIVMSG #c :plain"})
    engine.SimulateLine(line);
  wired.form->Input("own words");
  TmChannel* channel = wired.form->Subforms().FindChannel("#c");
  ASSERT_TRUE(PaneText(channel).contains(QStringLiteral("own words")));
  QStringList banded;
  for (QTextBlock block = channel->rView->document()->begin(); block.isValid(); block = block.next())
    if (block.blockFormat().background().style() != Qt::NoBrush) banded << block.text();
  EXPECT_EQ(banded, QStringList{QStringLiteral("<bob> me: look ")});
}

TEST(Panes, AddressesOpenOnClickAndTheSplitterMoves) {
  WiredForm wired;
  wired.form->resize(700, 460);
  wired.form->show();
  wired.form->Client().Engine().SimulateLine(":me!u@h JOIN :#c");
  TmChannel* channel = wired.form->Subforms().FindChannel("#c");
  wired.form->Client().Engine().SimulateLine(":bob!u@h PRIVMSG #c :see https://example.org/a?b=1, or www.example.net.");
  PaneText(channel);
  TBrowser browser;
  QDesktopServices::setUrlHandler(QStringLiteral("http"), &browser, "open");
  QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "open");
  QTextEdit* pane = channel->rView;
  QTest::mouseClick(pane->viewport(), Qt::LeftButton, {}, PointOf(pane, QStringLiteral("a?b=1")));
  QTest::mouseClick(pane->viewport(), Qt::LeftButton, {}, PointOf(pane, QStringLiteral("example.net")));
  QTest::mouseClick(pane->viewport(), Qt::LeftButton, {}, PointOf(pane, QStringLiteral("see")));  // no link there
  EXPECT_EQ(browser.opened, (QStringList{"https://example.org/a?b=1", "http://www.example.net"}));
  // A right-to-left override cannot show an address or a nick reversed.
  wired.form->Client().Engine().SimulateLine(":\xE2\x80\xAE" "eve!u@h JOIN :#c");
  wired.form->Client().Engine().SimulateLine(":\xE2\x80\xAE" "eve!u@h PRIVMSG #c :\xE2\x81\xA6https://example.org/\xE2\x80\xAE" "gpj.exe");
  EXPECT_TRUE(PaneText(channel).contains(QStringLiteral("<eve> https://example.org/gpj.exe")))
      << PaneText(channel).toStdString();
  Grab(*channel, "pane_direction_controls");
  const QAbstractItemModel* members = channel->lbUsers->model();
  EXPECT_TRUE(WaitUntil([&] {
    return !members->match(members->index(0, 0), Qt::DisplayRole, QStringLiteral("eve"), 1, Qt::MatchExactly).isEmpty();
  }));
  browser.opened.clear();
  QTest::mouseClick(pane->viewport(), Qt::LeftButton, {}, PointOf(pane, QStringLiteral("gpj.exe")));
  EXPECT_EQ(browser.opened, QStringList{"https://example.org/gpj.exe"});
  QDesktopServices::unsetUrlHandler(QStringLiteral("http"));
  QDesktopServices::unsetUrlHandler(QStringLiteral("https"));

  // Dragged 60 pixels left the list widens by as much; never past the pane's last 40 pixels.
  QFrame* splitter = channel->splitter;
  const int listWidth = channel->lbUsers->width();
  QTest::mousePress(splitter, Qt::LeftButton, {}, QPoint(0, 20));
  QTest::mouseMove(splitter, QPoint(-60, 20));
  QTest::mouseRelease(splitter, Qt::LeftButton, {}, QPoint(-60, 20));
  EXPECT_EQ(channel->lbUsers->width(), listWidth + 60);
  EXPECT_EQ(channel->rView->geometry().right() + 2, channel->lbUsers->geometry().left());
  QTest::mousePress(splitter, Qt::LeftButton, {}, QPoint(0, 20));
  QTest::mouseMove(splitter, QPoint(-2000, 20));
  QTest::mouseRelease(splitter, Qt::LeftButton, {}, QPoint(-2000, 20));
  EXPECT_EQ(channel->rView->width(), 40);
}

}  // namespace

#include "test_panes.moc"
