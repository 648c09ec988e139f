// The host window as a user meets it, on a real ngircd with a second
// participant: what shows at the start at the control's design size and at
// the host's own size, and the control's input line driven by real key
// presses and clicks.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QTest>
#include <QAbstractScrollArea>
#include <QToolButton>
#include <algorithm>
#include <memory>

#include "F_hostwindow.h"
#include "U_appsetup.h"
#include "U_hostoptions.h"
#include "Velko1_embed.h"
#include "Velko1_tlb.h"
#include "com_persist.h"
#include "com_server.h"
#include "engine_recorder.h"
#include "grab.h"
#include "ngircd_server.h"
#include "scratch_registry.h"
#include "wait_until.h"

namespace {

// The sub-windows of the control's area, bottom of the stack first.
std::vector<QWidget*> SubWindows(QWidget* control) {
  std::vector<QWidget*> windows;
  for (QWidget* w : control->findChildren<QWidget*>())
    if (w->inherits("TMDIABS") && w->isVisible()) windows.push_back(w);
  std::sort(windows.begin(), windows.end(), [](QWidget* a, QWidget* b) {
    const QObjectList& order = a->parentWidget()->children();
    return order.indexOf(a) < order.indexOf(b);
  });
  return windows;
}

// Every window keeps some part not covered by a window above it.
testing::AssertionResult NoneFullyHidden(QWidget* control) {
  const std::vector<QWidget*> windows = SubWindows(control);
  for (size_t i = 0; i < windows.size(); ++i) {
    const QRect shown = windows[i]->geometry() & windows[i]->parentWidget()->rect();
    if (shown.height() < 40 || shown.width() < 60)
      return testing::AssertionFailure() << windows[i]->windowTitle().toStdString() << " is outside the area";
    for (size_t j = i + 1; j < windows.size(); ++j)
      if (windows[j]->geometry().contains(shown))
        return testing::AssertionFailure() << windows[i]->windowTitle().toStdString() << " is hidden by "
                                           << windows[j]->windowTitle().toStdString() << " at "
                                           << windows[j]->geometry().x() << "," << windows[j]->geometry().y() << " "
                                           << windows[j]->width() << "x" << windows[j]->height();
  }
  return testing::AssertionSuccess();
}

QWidget* SubWindow(QWidget* control, const char* className, const QString& captionStart = {}) {
  for (QWidget* w : SubWindows(control))
    if (w->inherits(className) && w->windowTitle().startsWith(captionStart)) return w;
  return nullptr;
}

// A window's output pane; the control's own module has its class.
QAbstractScrollArea* PaneOf(QWidget* window) {
  for (auto* area : window->findChildren<QAbstractScrollArea*>())
    if (area->inherits("TPaneView")) return area;
  return nullptr;
}

// The colour the last line of a window's pane is drawn in, after its stamp.
QColor LastLineColor(QWidget* window) {
  QApplication::processEvents();
  QColor colour;
  QMetaObject::invokeMethod(PaneOf(window), "ColourAt", Q_RETURN_ARG(QColor, colour), Q_ARG(int, -1), Q_ARG(int, 0));
  return colour;
}

// The window with a dialog over it, as the screen shows them.
void GrabWithDialog(QWidget& window, QWidget& dialog, const char* name) {
  QApplication::processEvents();
  QImage shot = window.grab().toImage();
  QPainter painter(&shot);
  painter.drawPixmap(dialog.frameGeometry().topLeft() - window.frameGeometry().topLeft(), dialog.grab());
  painter.end();
  const QString folder = qEnvironmentVariable("VELKO_GRAB_DIR");
  if (!folder.isEmpty() && QDir().mkpath(folder)) shot.save(QDir(folder).filePath(QString::fromUtf8(name) + ".png"));
}

struct Size {
  const char* name;
  QSize control;  // the control's own size; empty: the host window's 760x520
};

void PrintTo(const Size& size, std::ostream* out) { *out << size.name; }

class HostKeyboard : public testing::TestWithParam<Size> {
 protected:
  void SetUp() override {
    ASSERT_TRUE(server_.Start());
    ASSERT_TRUE(peer_.LogOn(server_.Port(), "peer"));
    peer_.engine.Send("JOIN #velko\r\n");
    ASSERT_TRUE(peer_.WaitFor("OnOwnerJoin\t#velko"));
    ASSERT_TRUE(SUCCEEDED(CreateByProgID(kVelko1ProgId, VELKO1_MODULE, IID_InVELKO_1, control_.PutVoid())));
    embed_ = control_.As<IVelkoEmbed>();
    ASSERT_TRUE(embed_);
    embed_->ShowInputLine(true);
    window_ = std::make_unique<THostWindow>(control_.Get(), embed_->Widget());
    const ComPtr<PropertyBag> bag = MakeCom<PropertyBag>(NamedValues{
        {"ADDR", QStringLiteral("127.0.0.1:%1").arg(server_.Port())}, {"NICK", "hosty"}, {"CHAN", "velko"}});
    ASSERT_TRUE(SUCCEEDED(control_.As<IPersistPropertyBag>()->Load(bag.Get())));
    window_->show();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));
    const QSize wanted = GetParam().control;
    // As a page's object of that size in a wider page.
    if (!wanted.isEmpty()) Control()->setFixedSize(wanted);
    window_->Call("Connect");
    input_ = Control()->findChild<QLineEdit*>();
    ASSERT_TRUE(input_ && input_->isVisible());
  }

  void TearDown() override {
    window_.reset();
    embed_ = {};
    control_ = {};
  }

  QWidget* Control() { return embed_->Widget(); }
  // New windows are tiled once the handler that opened them has returned.
  testing::AssertionResult Tiled() {
    WaitUntil([&] { return bool(NoneFullyHidden(Control())); });
    return NoneFullyHidden(Control());
  }
  // Typed where the keyboard focus is, as a person types.
  void Type(const QString& text) {
    QTest::keyClicks(QApplication::focusWidget(), text);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
  }
  std::string Shot(const char* what) { return std::string(GetParam().name) + "-" + what; }

  ScratchRegistry registry_;
  NgircdServer server_;
  EngineRecorder peer_;
  ComPtr<InVELKO_1> control_;
  ComPtr<IVelkoEmbed> embed_;
  std::unique_ptr<THostWindow> window_;
  QLineEdit* input_ = nullptr;
};

TEST_P(HostKeyboard, FirstSightAndTheInputLine) {
  ASSERT_TRUE(peer_.WaitFor("OnOtherJoin\t#velko\thosty", 10000));
  ASSERT_TRUE(WaitUntil([&] { return SubWindow(Control(), "TmChannel", "#velko") != nullptr; }));
  QWidget* channel = SubWindow(Control(), "TmChannel", "#velko");
  QWidget* status = SubWindow(Control(), "TmStatus");
  ASSERT_TRUE(status);
  EXPECT_TRUE(Tiled());
  EXPECT_GE(PaneOf(status)->height(), 40);  // a few of the connection's lines show
  Grab(*window_, Shot("first-sight").c_str());

  // The message of the day comes over the client; the user closes it.
  QWidget* motd = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    for (QWidget* w : QApplication::topLevelWidgets())
      if (w->inherits("TmMOTD") && w->isVisible()) motd = w;
    return motd != nullptr;
  }));
  EXPECT_TRUE(window_->geometry().contains(motd->geometry().center()));
  GrabWithDialog(*window_, *motd, Shot("dialog").c_str());
  QTest::mouseClick(motd->findChild<QToolButton*>(), Qt::LeftButton);
  window_->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(window_.get()));

  // A click in the pane leaves the keyboard with the input line.
  QTest::mouseClick(PaneOf(channel)->viewport(), Qt::LeftButton);
  EXPECT_TRUE(WaitUntil([&] { return QApplication::focusWidget() == input_; }));
  Type(QStringLiteral("/query peer"));
  ASSERT_TRUE(WaitUntil([&] { return SubWindow(Control(), "TmQuery", "peer") != nullptr; }));
  Type(QStringLiteral("/join #second"));
  ASSERT_TRUE(WaitUntil([&] { return SubWindow(Control(), "TmChannel", "#second") != nullptr; }));
  EXPECT_TRUE(Tiled());
  Grab(*window_, Shot("three-windows").c_str());

  // Back in #velko, the nick is completed from its members.
  Type(QStringLiteral("/join #velko"));
  ASSERT_TRUE(WaitUntil([&] { return SubWindows(Control()).back() == channel; }));
  QTest::keyClicks(input_, QStringLiteral("PE"));
  QTest::keyClick(input_, Qt::Key_Tab);
  EXPECT_EQ(input_->text(), QStringLiteral("peer: "));
  QTest::keyClicks(input_, QStringLiteral("hi"));
  QTest::keyClick(input_, Qt::Key_Return);
  EXPECT_TRUE(peer_.WaitForPart("OnPrivmsg", "peer: hi"));

  // A line naming the user, in a window behind: its own colour, and the
  // window-select button says so.
  Type(QStringLiteral("/query peer"));
  ASSERT_TRUE(WaitUntil([&] { return SubWindows(Control()).back()->windowTitle() == QStringLiteral("peer"); }));
  peer_.engine.Send("PRIVMSG #velko :hosty, look here\r\n");
  auto* button = Control()->findChild<QToolButton*>();
  ASSERT_TRUE(WaitUntil([&] { return button->text().endsWith(QLatin1Char('!')); }));
  EXPECT_EQ(LastLineColor(channel), QColor(0xC8, 0x00, 0x64));
  Grab(*window_, Shot("mention").c_str());
}

// The host's own input line holds a pasted block as one line, as a browser's
// one-line field does; the control would keep only its first line.
TEST_P(HostKeyboard, TheHostsLineJoinsAPastedBlock) {
  ASSERT_TRUE(peer_.WaitFor("OnOtherJoin\t#velko\thosty", 10000));
  ASSERT_TRUE(WaitUntil([&] {
    QWidget* channel = SubWindow(Control(), "TmChannel", "#velko");
    return channel && SubWindows(Control()).back() == channel;
  }));
  QApplication::clipboard()->setText(QStringLiteral("page one\r\npage two"));
  QTest::keyClick(window_->eInput, Qt::Key_V, Qt::ControlModifier);
  QTest::keyClick(window_->eInput, Qt::Key_Return);
  EXPECT_TRUE(peer_.WaitForPart("OnPrivmsg", "#velko\tpage one page two"));
}

// Qt's own texts, such as the input line's menu, speak Korean as the control does.
TEST(HostApplication, QtsOwnTextsAreKorean) {
  PrepareApplication(*qApp);
  QLineEdit line;
  const std::unique_ptr<QMenu> menu(line.createStandardContextMenu());
  QStringList texts;
  for (const QAction* action : menu->actions()) texts << action->text();
  EXPECT_TRUE(texts.join('|').contains(QString::fromUtf8("복사"))) << texts.join('|').toStdString();
}

INSTANTIATE_TEST_SUITE_P(Sizes, HostKeyboard,
                         testing::Values(Size{"design", QSize(497, 203)}, Size{"host", QSize()}),
                         [](const testing::TestParamInfo<Size>& info) { return std::string(info.param.name); });

}  // namespace
