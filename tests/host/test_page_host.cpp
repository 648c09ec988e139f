// The host as a browser: pages from tests/host/pages loaded in the web view,
// driven only through their own HTML (clicked and typed into as a person
// would) and their own script, with the control on a real ngircd.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QWebEnginePage>
#include <QWebEngineView>

#include "F_pagehost.h"
#include "com_server.h"
#include "engine_recorder.h"
#include "ngircd_server.h"
#include "scratch_registry.h"
#include "wait_until.h"

namespace {

ComPtr<InVELKO_1> CreateControl(QString* error) {
  ComPtr<InVELKO_1> control;
  if (FAILED(CreateByProgID(kVelko1ProgId, VELKO1_MODULE, IID_InVELKO_1, control.PutVoid())))
    *error = QStringLiteral("cannot create the control");
  return control;
}

QString PagePath(const char* name) { return QStringLiteral(VELKO_TEST_PAGES "/") + QLatin1String(name); }

class PageHost : public testing::Test {
 protected:
  void Open(const QString& page, NamedValues options = {}) {
    host_ = std::make_unique<THostPage>(CreateControl, std::move(options));
    host_->resize(800, 600);
    host_->show();
    host_->Open(page);
  }
  // The value of a script expression in the page.
  QVariant Eval(const QString& script) {
    QVariant value;
    bool done = false;
    host_->View().page()->runJavaScript(script, [&](const QVariant& result) {
      value = result;
      done = true;
    });
    WaitUntil([&] { return done; }, 10000);
    return value;
  }
  QStringList Heard() { return Eval(QStringLiteral("window.heard || []")).toStringList(); }
  bool WaitHeard(const QString& line) { return WaitUntil([&] { return Heard().contains(line); }, 15000); }
  // An element's box in the view.
  QRect Box(const QString& id) {
    const QJsonObject box = QJsonDocument::fromJson(
        Eval(QStringLiteral("JSON.stringify(document.getElementById('%1').getBoundingClientRect())").arg(id))
            .toString()
            .toUtf8()).object();
    const auto side = [&](const char* name) { return qRound(box[QLatin1String(name)].toDouble()); };
    return QRect(side("x"), side("y"), side("width"), side("height"));
  }
  void Click(const QString& id) {
    QTest::mouseClick(host_->View().focusProxy(), Qt::LeftButton, {}, Box(id).center());
  }
  QWidget* ControlWidget() {
    IVelkoEmbed* embed = host_->Bridge().FirstEmbed();
    return embed ? embed->Widget() : nullptr;
  }

  ScratchRegistry registry_;
  std::unique_ptr<THostPage> host_;
};

TEST_F(PageHost, ThePageDrivesTheControlThroughItsOwnButtonsAndScript) {
  NgircdServer server;
  ASSERT_TRUE(server.Start());
  EngineRecorder peer;
  ASSERT_TRUE(peer.LogOnAndJoin(server.Port(), "peer", "#pagetest"));

  Open(QUrl::fromLocalFile(PagePath("control.html")).toString() + QStringLiteral("?port=%1").arg(server.Port()));
  // OnCreate reached the <script for event> block, with the param's value, and the element's listener.
  ASSERT_TRUE(WaitHeard(QStringLiteral("OnCreate fromparam"))) << Heard().join('|').toStdString();
  EXPECT_TRUE(Heard().contains(QStringLiteral("OnCreate event")));
  // The live control lies exactly over the object's box.
  QWidget* widget = ControlWidget();
  ASSERT_TRUE(widget);
  ASSERT_TRUE(WaitUntil([&] { return widget->isVisible(); }));
  EXPECT_EQ(widget->geometry(), Box(QStringLiteral("velko")));
  EXPECT_EQ(widget->size(), QSize(520, 260));

  Click(QStringLiteral("apply"));
  ASSERT_TRUE(WaitHeard(QStringLiteral("set pagey")));
  EXPECT_EQ(Eval(QStringLiteral("chat.NICK")).toString(), QStringLiteral("pagey"));
  Click(QStringLiteral("connect"));
  ASSERT_TRUE(WaitHeard(QStringLiteral("connected")));
  ASSERT_TRUE(peer.WaitFor("OnOtherJoin\t#pagetest\tpagey", 15000));

  Click(QStringLiteral("line"));
  QTest::keyClicks(host_->View().focusProxy(), QStringLiteral("hello from the page"));
  QTest::keyClick(host_->View().focusProxy(), Qt::Key_Return);
  EXPECT_TRUE(peer.WaitForPart("OnPrivmsg", "hello from the page", 15000));

  Click(QStringLiteral("tile"));
  ASSERT_TRUE(WaitHeard(QStringLiteral("tiled")));
  QList<QWidget*> windows;
  for (QWidget* child : widget->findChildren<QWidget*>())
    if (child->inherits("TMDIABS") && child->isVisible()) windows << child;
  ASSERT_EQ(windows.size(), 2);
  // Tiled: one above the other, each the area's width (their borders share a line).
  const int half = windows[0]->parentWidget()->height() / 2;
  EXPECT_EQ(std::min(windows[0]->y(), windows[1]->y()), 0);
  EXPECT_EQ(std::max(windows[0]->y(), windows[1]->y()), half);
  EXPECT_EQ(windows[0]->width(), windows[0]->parentWidget()->width() + 1);

  // Closing the host destroys the control, and the page hears it.
  host_->close();
  EXPECT_TRUE(WaitUntil([&] { return !host_->Messages().filter(QStringLiteral("heard OnDestroy")).isEmpty(); }))
      << host_->Messages().join('|').toStdString();
}

TEST_F(PageHost, LeavingThePageDestroysItsControlAndThePageHearsIt) {
  Open(PagePath("control.html"));
  ASSERT_TRUE(WaitHeard(QStringLiteral("OnCreate fromparam"))) << Heard().join('|').toStdString();
  const QPointer<QWidget> widget = ControlWidget();
  Eval(QStringLiteral("location.href = 'broken.html'"));
  EXPECT_TRUE(WaitUntil([&] { return !host_->Messages().filter(QStringLiteral("heard OnDestroy")).isEmpty(); }))
      << host_->Messages().join('|').toStdString();
  EXPECT_TRUE(WaitUntil([&] { return widget.isNull(); }));
  EXPECT_FALSE(host_->Bridge().FirstControl());
}

TEST_F(PageHost, ABrokenPageGetsClearMessagesAndNoControl) {
  Open(PagePath("broken.html"));
  ASSERT_TRUE(WaitUntil(
      [&] { return host_->Messages().contains(QStringLiteral("the page embeds no control")); }, 15000))
      << host_->Messages().join('|').toStdString();
  const QString messages = host_->Messages().join('\n');
  EXPECT_TRUE(messages.contains(QStringLiteral("broken.html:6: Uncaught SyntaxError"))) << messages.toStdString();
  EXPECT_TRUE(messages.contains(QStringLiteral("classid \"clsid:00000000-0000-0000-0000-000000000000\" is not the control")))
      << messages.toStdString();
  EXPECT_TRUE(messages.contains(QStringLiteral("other.Connect is not a function"))) << messages.toStdString();
  EXPECT_FALSE(host_->Bridge().FirstControl());
  EXPECT_FALSE(Eval(QStringLiteral("'Connect' in other")).toBool());
}

// A page calling the host's channel with what its own bridge never sends,
// flooding Input, and busy when the host closes.
TEST_F(PageHost, AHostilePageCannotBreakTheHost) {
  Open(PagePath("control.html"));
  ASSERT_TRUE(WaitHeard(QStringLiteral("OnCreate fromparam"))) << Heard().join('|').toStdString();
  QWidget* widget = ControlWidget();
  ASSERT_TRUE(widget);
  // A second channel of the page's own; the bridge's gets the transport back.
  Eval(QStringLiteral("{ const t = qt.webChannelTransport, keep = t.onmessage, m = 2147483647;"
                      "  new QWebChannel(t, (c) => { c.objects.velkoHost.place(1, m, m, m, m, true); t.onmessage = keep; }); } 0"));
  ASSERT_TRUE(WaitUntil([&] { return widget->x() == 32767; })) << widget->x();
  EXPECT_EQ(widget->geometry(), QRect(32767, 32767, 32767, 32767));
  // The page's own reports still place it, following its layout.
  Eval(QStringLiteral("document.body.style.marginTop = '40px'"));
  EXPECT_TRUE(WaitUntil([&] { return widget->geometry() == Box(QStringLiteral("velko")); }));

  // Lines wait their turn to go out: the control refuses Input once its
  // queue is full, the bridge refuses calls piling up unanswered before that.
  Eval(QStringLiteral("window.answers = {}; window.answered = 0;"
                      "for (let i = 0; i < 1500; ++i) velko.Input('/away ' + i).then("
                      "  () => 'ok', (error) => error.message).then((what) => {"
                      "    answers[what] = (answers[what] || 0) + 1; ++answered; }); 0"));
  ASSERT_TRUE(WaitUntil([&] { return Eval(QStringLiteral("answered")).toInt() == 1500; }, 60000));
  const QVariantMap answers = Eval(QStringLiteral("answers")).toMap();
  EXPECT_EQ(answers.value(QStringLiteral("Input: too many calls are waiting for the control")).toInt(), 500);
  const int taken = answers.value(QStringLiteral("ok")).toInt();
  EXPECT_GE(taken, 600);
  EXPECT_LE(taken, 610);  // a burst goes out at once
  EXPECT_EQ(answers.value(QStringLiteral("Input: too many lines are waiting to be sent")).toInt(), 1000 - taken);

  // Busier than the host waits for the page to hear OnDestroy.
  host_->View().page()->runJavaScript(QStringLiteral("const end = Date.now() + 4000; while (Date.now() < end) {}"));
  host_.reset();
}

// Nothing polls the object's box: each way the page can move it is reported.
TEST_F(PageHost, TheControlFollowsItsObjectAsThePageMovesIt) {
  Open(PagePath("control.html"));
  ASSERT_TRUE(WaitHeard(QStringLiteral("OnCreate fromparam"))) << Heard().join('|').toStdString();
  QWidget* widget = ControlWidget();
  ASSERT_TRUE(widget);
  const auto follows = [&] { return WaitUntil([&] { return widget->geometry() == Box(QStringLiteral("velko")); }); };
  ASSERT_TRUE(follows());
  const QRect first = widget->geometry();

  Eval(QStringLiteral("const above = document.createElement('p'); above.style.cssText = 'margin:0;height:70px';"
                      "document.body.prepend(above); 0"));
  ASSERT_TRUE(follows());
  EXPECT_EQ(widget->y(), first.y() + 70);

  Eval(QStringLiteral("document.body.style.paddingBottom = '2000px'; 0"));
  Eval(QStringLiteral("scrollTo(0, 100); 0"));
  ASSERT_TRUE(follows());
  EXPECT_EQ(widget->y(), first.y() + 70 - 100);

  Eval(QStringLiteral("velko.style.width = '50%'; 0"));
  ASSERT_TRUE(follows());
  const int wide = widget->width();
  host_->resize(600, 600);
  ASSERT_TRUE(WaitUntil([&] { return widget->width() < wide; })) << widget->width();
  EXPECT_TRUE(follows());
}

// Links in the page's folder are followed to where they lead before the host
// decides what the page may read.
TEST_F(PageHost, APageReadsOnlyItsOwnFolderLinksResolved) {
  QTemporaryDir disk;
  const QDir root(disk.path());
  for (const char* folder : {"page", "outdir", "page-sibling"}) ASSERT_TRUE(root.mkpath(QLatin1String(folder)));
  for (const char* name : {"page/inside.txt", "outside.txt", "outdir/secret.txt", "page-sibling/x.txt"}) {
    QFile file(root.filePath(QLatin1String(name)));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("text") == 4);
  }
  ASSERT_TRUE(QFile::copy(PagePath("probe.html"), root.filePath(QStringLiteral("page/probe.html"))));
  const std::pair<QString, const char*> links[] = {{QStringLiteral("/etc/passwd"), "passwd"},
                                                   {root.filePath(QStringLiteral("outside.txt")), "outside"},
                                                   {root.filePath(QStringLiteral("outdir")), "dir"},
                                                   {QStringLiteral("inside.txt"), "near"}};
  for (const auto& [target, name] : links)
    ASSERT_TRUE(QFile::link(target, root.filePath(QStringLiteral("page/") + QLatin1String(name))));

  Open(root.filePath(QStringLiteral("page/probe.html")));
  ASSERT_TRUE(WaitUntil([&] { return Heard().size() == 9; }, 15000)) << Heard().join('|').toStdString();
  QStringList heard = Heard();
  heard.sort();
  EXPECT_EQ(heard.join(QLatin1Char('|')).toStdString(),
            "%2e%2e/outside.txt blocked|../page-sibling/x.txt blocked|/etc/passwd blocked|/proc/self/status blocked|"
            "dir/secret.txt blocked|inside.txt read|near read|outside blocked|passwd blocked");
}

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  THostPage::PrepareProcess();
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
