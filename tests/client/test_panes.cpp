// What a mouse does in a channel window: a web address opens in the browser,
// the splitter between pane and member list moves.
#include <QDesktopServices>
#include <QFrame>
#include <QListWidget>
#include <QTest>
#include <QTextDocument>
#include <QTextEdit>
#include <gtest/gtest.h>

#include "F_mchannel.h"
#include "U_subforms.h"
#include "client_fixture.h"
#include "grab.h"
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

TEST(Panes, AddressesOpenOnClickAndTheSplitterMoves) {
  WiredForm wired;
  wired.form->resize(700, 460);
  wired.form->show();
  wired.form->Engine().SimulateLine(":me!u@h JOIN :#c");
  TmChannel* channel = wired.form->Subforms().FindChannel("#c");
  wired.form->Engine().SimulateLine(":bob!u@h PRIVMSG #c :see https://example.org/a?b=1, or www.example.net.");
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
  wired.form->Engine().SimulateLine(":\xE2\x80\xAE" "eve!u@h JOIN :#c");
  wired.form->Engine().SimulateLine(":\xE2\x80\xAE" "eve!u@h PRIVMSG #c :\xE2\x81\xA6https://example.org/\xE2\x80\xAE" "gpj.exe");
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
