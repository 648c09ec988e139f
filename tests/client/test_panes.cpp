// What a channel window's pane does for its reader: it follows the newest
// line unless they scrolled back, shows its end at once when shown again,
// stamps lines with their time and nicks with their colours, selects and
// copies lines never laid out, finds words, a web address opens in the
// browser, the splitter between pane and member list moves.
#include <QApplication>
#include <QClipboard>
#include <QDateTime>
#include <QDesktopServices>
#include <QFrame>
#include <QLabel>
#include <QListWidget>
#include <QMenu>
#include <QScrollBar>
#include <QTest>
#include <QTimeZone>
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "F_findbar.h"
#include "F_inputline.h"
#include "F_mchannel.h"
#include "F_mquery.h"
#include "U_panelook.h"
#include "U_paneview.h"
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

// Over the start of `text` on a one-row line in sight.
QPoint PointOf(TPaneView* pane, const QString& text) {
  const TPaneLines& lines = pane->Lines();
  for (int64_t line = lines.First(); line < lines.End(); ++line) {
    const QString whole = lines.Shown(line).text;
    if (const qsizetype at = whole.indexOf(text); at >= 0)
      return {4 + QFontMetrics(pane->font()).horizontalAdvance(whole.left(at)) + 3, pane->LineRect(line).center().y()};
  }
  return {};
}

// The view ends at the pane's newest line, and that line is in sight.
bool ShowsNewest(TmABSRich* pane) {
  const QScrollBar* bar = pane->rView->verticalScrollBar();
  const QRect newest = pane->rView->LineRect(pane->rView->Lines().End() - 1);
  return bar->value() == bar->maximum() && pane->rView->viewport()->rect().contains(newest);
}

QString TopLine(TmABSRich* pane) { return pane->rView->Lines().Shown(pane->rView->TopLine()).text; }

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

  // Lines that come while the window is hidden are in sight, at its end,
  // as soon as it shows again.
  channel->hide();
  PeerSays(wired, 222, 400);
  ASSERT_TRUE(Arrived(channel, 400));
  channel->show();
  EXPECT_TRUE(ShowsNewest(channel));
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
  const TPaneLines& lines = channel->rView->Lines();
  for (int64_t line = lines.First(); line < lines.End(); ++line)
    if (lines.At(line).band != 0) banded << lines.LineText(line);
  EXPECT_EQ(banded, QStringList{QStringLiteral("<bob> me: look ")});
}

// The whole line reading `text` (stamp aside), stamp and all.
QString Whole(TmABSRich* pane, const QString& text) {
  const int line = LineReading(pane, text + ' ');
  return line < 0 ? QString() : pane->rView->Lines().Shown(pane->rView->Lines().First() + line).text;
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

  const int old = LineReading(channel, QStringLiteral("<bob> said long ago "));
  const int psst = LineReading(query, QStringLiteral("<BOB> psst "));
  const int mine = LineReading(channel, QStringLiteral("<me> mine "));
  ASSERT_TRUE(old >= 0 && psst >= 0 && mine >= 0);
  EXPECT_TRUE(Whole(channel, QStringLiteral("<bob> said long ago"))
                  .startsWith(Stamp(QDateTime(QDate(2020, 2, 3), QTime(3, 7, 9), Qt::UTC))));
  const QString psstLine = Whole(query, QStringLiteral("<BOB> psst"));
  EXPECT_TRUE(psstLine.startsWith(Stamp(before)) || psstLine.startsWith(Stamp(after))) << psstLine.toStdString();
  const QColor bob(NickColor("bob"));
  EXPECT_EQ(channel->rView->ColourAt(old, 1), bob);
  EXPECT_EQ(query->rView->ColourAt(psst, 1), bob);
  EXPECT_EQ(channel->rView->ColourAt(LineReading(channel, QStringLiteral("<ann> hello bob ")), 1),
            QColor(NickColor("ann")));
  EXPECT_EQ(channel->rView->ColourAt(mine, 1), QColor(KindColor(kKindOwnMessage)));
  for (const QSize size : {QSize(560, 460), QSize(760, 520)}) {
    form.resize(size);
    form.show();
    Grab(form, QStringLiteral("pane_stamps_%1").arg(size.width()).toUtf8().constData());
  }

  form.Client().Settings().Timestamps = 0;
  form.Client().Settings().NickColors = 0;
  engine.SimulateLine(":bob!u@h PRIVMSG #c :plain again");
  EXPECT_EQ(Whole(channel, QStringLiteral("<bob> plain again")), QStringLiteral("<bob> plain again "));
  EXPECT_EQ(channel->rView->ColourAt(-1, 1), QColor(KindColor(kKindMessage)));
}

// Ctrl+F in the input line opens the front pane's find bar; every match is
// marked, Enter and F3 step to older ones and wrap, Shift+F3 steps back, a
// new matching line is marked too, one gone loses its mark, and Esc closes
// the bar and gives the keyboard back.
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
  const auto current = [&] { return channel->rView->Lines().LineText(bar->CurrentMatch()->line).section(' ', 1, 2); };
  const auto inView = [&] {
    return channel->rView->viewport()->rect().contains(channel->rView->LineRect(bar->CurrentMatch()->line));
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
  // Lines beyond what the pane keeps take their marks along.
  form.Client().Settings().PaneLines = 200;
  for (int i = 0; i < 180; ++i) engine.SimulateLine(":bob!u@h PRIVMSG #c :filler");
  engine.SimulateLine(":bob!u@h PRIVMSG #c :last needle");
  channel->ShowPendingLines();
  ASSERT_EQ(bar->MatchCount(), 3);
  EXPECT_FALSE(bar->CurrentMatch()) << "the match being read is gone";
  QTest::keyClick(bar, Qt::Key_F3);
  EXPECT_EQ(current(), "last needle");
  QTest::keyClick(bar, Qt::Key_F3);
  EXPECT_EQ(current(), "one more");

  QTest::keyClick(bar, Qt::Key_Escape);
  EXPECT_FALSE(bar->isVisible());
  EXPECT_EQ(bar->MatchCount(), 0);
  EXPECT_TRUE(WaitUntil([&] { return form.eInput->hasFocus(); }));
}

// The pane's menu copies, selects everything and finds; a selection reaches
// over lines never in sight, and a Shift+click extends one.
TEST(Panes, SelectionReachesLinesNeverLaidOut) {
  WiredForm wired;
  wired.form->show();
  wired.form->Client().Engine().SimulateLine(":me!u@h JOIN :#c");
  TmChannel* channel = wired.form->Subforms().FindChannel("#c");
  for (int i = 1; i <= 2000; ++i) AddPaneLine(channel, "line " + std::to_string(i), kKindMessage);
  channel->ShowPendingLines();
  TPaneView* pane = channel->rView;
  const auto copied = [] { return QApplication::clipboard()->text().split(QLatin1Char('\n')); };
  std::unique_ptr<QMenu> menu(pane->ContextMenu());
  QStringList labels;
  for (const QAction* action : menu->actions()) labels << action->text();
  EXPECT_EQ(labels, (QStringList{"복사", "모두 선택", "", "찾기..."}));
  EXPECT_FALSE(menu->actions()[0]->isEnabled());
  menu->actions()[1]->trigger();
  menu.reset(pane->ContextMenu());
  menu->actions()[0]->trigger();
  EXPECT_EQ(copied().size(), pane->Lines().Count());
  EXPECT_TRUE(copied()[copied().size() - 2000].endsWith("line 1 "));
  EXPECT_TRUE(copied().last().endsWith("line 2000 "));

  QWidget* viewport = pane->viewport();
  QTest::mouseClick(viewport, Qt::LeftButton, {}, QPoint(1, pane->LineRect(pane->Lines().End() - 1).center().y()));
  EXPECT_FALSE(pane->HasSelection());
  QTest::keyClick(pane, Qt::Key_Home, Qt::ControlModifier);
  ASSERT_EQ(pane->TopLine(), pane->Lines().First());
  QTest::mouseClick(viewport, Qt::LeftButton, Qt::ShiftModifier, QPoint(1, pane->LineRect(pane->TopLine()).center().y()));
  EXPECT_EQ(copied().size(), pane->Lines().Count());
  EXPECT_TRUE(copied()[copied().size() - 2].endsWith("line 1999 "));
  EXPECT_EQ(copied().last(), "");

  menu->actions()[3]->trigger();
  ASSERT_TRUE(channel->FindBar());
  EXPECT_TRUE(channel->FindBar()->isVisible());
}

TEST(Panes, AddressesOpenOnClickAndTheSplitterMoves) {
  WiredForm wired;
  wired.form->resize(1000, 460);  // the addresses stay on one row
  wired.form->show();
  wired.form->Client().Engine().SimulateLine(":me!u@h JOIN :#c");
  TmChannel* channel = wired.form->Subforms().FindChannel("#c");
  wired.form->Client().Engine().SimulateLine(":bob!u@h PRIVMSG #c :see https://example.org/a?b=1, or www.example.net.");
  PaneText(channel);
  TBrowser browser;
  QDesktopServices::setUrlHandler(QStringLiteral("http"), &browser, "open");
  QDesktopServices::setUrlHandler(QStringLiteral("https"), &browser, "open");
  TPaneView* pane = channel->rView;
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
