// What a channel window's pane does for its reader: it follows the newest
// line unless they scrolled back, stamps lines with their time and nicks with
// their colours, finds words, a web address opens in the browser, the
// splitter between pane and member list moves.
#include <QDateTime>
#include <QDesktopServices>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QScrollBar>
#include <QTest>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimeZone>
#include <gtest/gtest.h>

#include <functional>

#include "F_findbar.h"
#include "F_inputline.h"
#include "F_mchannel.h"
#include "F_mquery.h"
#include "U_panelook.h"
#include "U_render.h"
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
    if (block.blockFormat().background().style() != Qt::NoBrush) banded << LineText(block);
  EXPECT_EQ(banded, QStringList{QStringLiteral("<bob> me: look ")});
}

// The block of the pane line reading `text` (stamp aside).
QTextBlock LineReading(TmABSRich* pane, const QString& text) {
  pane->ShowPendingLines();
  for (QTextBlock block = pane->rView->document()->begin(); block.isValid(); block = block.next())
    if (LineText(block) == text + ' ') return block;
  return {};
}

QString Stamp(const QDateTime& when) { return when.toLocalTime().toString(QStringLiteral("[HH:mm] ")); }

// The stamp is the local time a line was said: the server's when it tags the
// line, else its arrival. A speaker keeps one colour in every window; the
// user's own lines keep theirs. Both settings turn them off.
TEST(Panes, LinesCarryTheirTimeAndSpeakersTheirColour) {
  WiredForm wired;
  TMainForm& form = *wired.form;
  TZoEngine& engine = form.Client().Engine();
  engine.SimulateLine(":me!u@h JOIN :#c");
  engine.SimulateLine(":me!u@h 353 me = #c :me bob ann");
  TmChannel* channel = form.Subforms().FindChannel("#c");
  const QDateTime before = QDateTime::currentDateTime();
  engine.SimulateLine("@time=2020-02-03T03:07:09.000Z :bob!u@h PRIVMSG #c :said long ago");
  engine.SimulateLine(":BOB!u@h PRIVMSG me :psst");
  engine.SimulateLine(":ann!u@h PRIVMSG #c :hello bob");
  channel->Activate();
  form.Input("mine");
  const QDateTime after = QDateTime::currentDateTime();
  auto* query = form.Subforms().Find<TmQuery>("bob");
  ASSERT_TRUE(query);

  const QTextBlock old = LineReading(channel, QStringLiteral("<bob> said long ago"));
  const QTextBlock psst = LineReading(query, QStringLiteral("<BOB> psst"));
  const QTextBlock mine = LineReading(channel, QStringLiteral("<me> mine"));
  ASSERT_TRUE(old.isValid() && psst.isValid() && mine.isValid());
  EXPECT_TRUE(old.text().startsWith(Stamp(QDateTime(QDate(2020, 2, 3), QTime(3, 7, 9), Qt::UTC))));
  EXPECT_TRUE(psst.text().startsWith(Stamp(before)) || psst.text().startsWith(Stamp(after))) << psst.text().toStdString();
  const QColor bob(NickColor("bob"));
  EXPECT_EQ(ColourAt(old, old.userState() + 1), bob);
  EXPECT_EQ(ColourAt(psst, psst.userState() + 1), bob);
  const QTextBlock ann = LineReading(channel, QStringLiteral("<ann> hello bob"));
  EXPECT_EQ(ColourAt(ann, ann.userState() + 1), QColor(NickColor("ann")));
  EXPECT_EQ(ColourAt(mine, mine.userState() + 1), QColor(KindColor(kKindOwnMessage)));
  for (const QSize size : {QSize(560, 460), QSize(760, 520)}) {
    form.resize(size);
    form.show();
    Grab(form, QStringLiteral("pane_stamps_%1").arg(size.width()).toUtf8().constData());
  }

  form.Client().Settings().Timestamps = 0;
  form.Client().Settings().NickColors = 0;
  engine.SimulateLine(":bob!u@h PRIVMSG #c :plain again");
  const QTextBlock plain = LineReading(channel, QStringLiteral("<bob> plain again"));
  EXPECT_EQ(plain.text(), QStringLiteral("<bob> plain again "));
  EXPECT_EQ(ColourAt(plain, 1), QColor(KindColor(kKindMessage)));
}

// Ctrl+F in the input line opens the front pane's find bar; every match is
// marked, Enter and F3 step to older ones and wrap, Shift+F3 steps back, a
// new matching line is marked too, and Esc closes the bar and gives the
// keyboard back.
TEST(Panes, FindBarMarksAndStepsThroughMatches) {
  WiredForm wired;
  TMainForm& form = *wired.form;
  form.ShowInputLine(true);
  form.show();
  QApplication::setActiveWindow(&form);
  form.eInput->setFocus();
  TZoEngine& engine = form.Client().Engine();
  engine.SimulateLine(":me!u@h JOIN :#c");
  TmChannel* channel = form.Subforms().FindChannel("#c");
  for (int i = 1; i <= 60; ++i)
    engine.SimulateLine((":bob!u@h PRIVMSG #c :line " + std::to_string(i) + (i % 20 ? "" : " Needle")).c_str());
  channel->ShowPendingLines();

  QTest::keyClick(form.eInput, Qt::Key_F, Qt::ControlModifier);
  TFindBar* bar = channel->FindBar();
  ASSERT_TRUE(bar && bar->isVisible());
  EXPECT_EQ(bar->placeholderText(), QString::fromUtf8("찾기"));
  EXPECT_TRUE(WaitUntil([&] { return bar->hasFocus(); }));
  QTest::keyClicks(bar, "needle");
  EXPECT_EQ(bar->MatchCount(), 3);
  EXPECT_EQ(channel->rView->extraSelections().size(), 3);
  const auto current = [&] { return LineText(bar->CurrentMatch().block()).section(' ', 1, 2); };
  const auto inView = [&] {
    return channel->rView->viewport()->rect().contains(channel->rView->cursorRect(bar->CurrentMatch()));
  };
  EXPECT_EQ(current(), "line 60");
  QTest::keyClick(bar, Qt::Key_Return);
  EXPECT_EQ(current(), "line 40");
  EXPECT_TRUE(inView());
  QTest::keyClick(bar, Qt::Key_F3);
  EXPECT_EQ(current(), "line 20");
  EXPECT_TRUE(inView());
  QTest::keyClick(bar, Qt::Key_F3);
  EXPECT_EQ(current(), "line 60");
  QTest::keyClick(bar, Qt::Key_F3, Qt::ShiftModifier);
  EXPECT_EQ(current(), "line 20");
  engine.SimulateLine(":bob!u@h PRIVMSG #c :one more needle");
  channel->ShowPendingLines();
  EXPECT_EQ(bar->MatchCount(), 4);
  EXPECT_EQ(current(), "line 20");  // the view stays on the match being read
  Grab(form, "find_bar");

  QTest::keyClick(bar, Qt::Key_Escape);
  EXPECT_FALSE(bar->isVisible());
  EXPECT_TRUE(channel->rView->extraSelections().isEmpty());
  EXPECT_TRUE(WaitUntil([&] { return form.eInput->hasFocus(); }));
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
