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
#include "U_codepage.h"
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
  // Runs a call of the page's and keeps how its promise settled in `name`.
  void Settle(const QString& name, const QString& call) {
    Eval(QStringLiteral("%1.then((v) => window['%2'] = 'ok ' + JSON.stringify(v),"
                        " (e) => window['%2'] = e.code + ' ' + e.text); 0").arg(call, name));
  }
  QString Settled(const QString& name) {
    QString value;
    WaitUntil([&] { return !(value = Eval(QStringLiteral("window['%1'] || ''").arg(name)).toString()).isEmpty(); });
    return value;
  }
  QString Text(const char* id) {
    return Eval(QStringLiteral("(document.getElementById('%1') || {}).textContent || ''").arg(QLatin1String(id)))
        .toString();
  }
  bool WaitText(const char* id, const QString& part) {
    return WaitUntil([&] { return Text(id).contains(part); }, 15000);
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

// The page author's example from the README, taken from it as written.
QString ReadmePage() {
  QFile readme(QStringLiteral(VELKO_README));
  if (!readme.open(QIODevice::ReadOnly)) return {};
  const QString text = QString::fromUtf8(readme.readAll());
  const qsizetype section = text.indexOf(QStringLiteral("### Writing a page"));
  const qsizetype start = text.indexOf(QStringLiteral("```html\n"), section) + 8;
  return text.mid(start, text.indexOf(QStringLiteral("\n```"), start) - start);
}

// The README's page hears the conversation as it goes: Korean in either
// coding, its own lines, members, an unread private message; it talks
// through Say and hears the connection go and come back.
TEST_F(PageHost, TheReadmePageFollowsTheConversation) {
  NgircdServer server;
  ASSERT_TRUE(server.Start());
  QTemporaryDir folder;
  QFile page(folder.filePath(QStringLiteral("page.html")));
  ASSERT_TRUE(page.open(QIODevice::WriteOnly) && page.write(ReadmePage().toUtf8()) > 0);
  page.close();
  Open(page.fileName(), {{QStringLiteral("ADDR"), QStringLiteral("127.0.0.1:%1").arg(server.Port())},
                         {QStringLiteral("NICK"), QStringLiteral("reader")}});
  ASSERT_TRUE(WaitText("state", QString::fromUtf8("연결됨: reader"))) << Text("state").toStdString();
  ASSERT_TRUE(WaitText("log", QStringLiteral("join #velko reader")));
  // The page asked for the control's own input line.
  bool shown = false;
  for (const QWidget* child : ControlWidget()->findChildren<QWidget*>())
    shown = shown || (child->inherits("TInputLine") && child->isVisible());
  EXPECT_TRUE(shown);

  EngineRecorder peer;
  ASSERT_TRUE(peer.LogOnAndJoin(server.Port(), "peer", "#velko"));
  ASSERT_TRUE(WaitText("people", QStringLiteral("peer")));
  // The private window opens in front; the channel's lines wait behind it.
  peer.engine.Send(QString::fromUtf8("PRIVMSG reader :비밀\r\n").toUtf8().constData());
  EXPECT_TRUE(WaitText("log", QString::fromUtf8("private peer <peer> 비밀")));
  peer.engine.Send(QString::fromUtf8("PRIVMSG #velko :reader: 유니코드 안녕\r\n").toUtf8().constData());
  peer.engine.Send(EncodeText(QString::fromUtf8("PRIVMSG #velko :완성형 안녕\r\n")).c_str());
  EXPECT_TRUE(WaitText("log", QString::fromUtf8("channel #velko <peer> reader: 유니코드 안녕")));
  EXPECT_TRUE(WaitText("log", QString::fromUtf8("channel #velko <peer> 완성형 안녕")));
  EXPECT_TRUE(WaitUntil([&] { return host_->View().title() == QStringLiteral("#velko 2!"); }))
      << host_->View().title().toStdString();
  Settle(QStringLiteral("windows"), QStringLiteral("velko.Windows()"));
  EXPECT_EQ(Settled(QStringLiteral("windows")),
            QString::fromUtf8(R"(ok [{"kind":"query","name":"peer","unread":0},)"
                              R"({"kind":"channel","name":"#velko","unread":2},)"
                              R"({"kind":"status","name":"상태창","unread":0}])"));

  Click(QStringLiteral("line"));
  QTest::keyClicks(host_->View().focusProxy(), QStringLiteral("hello page"));
  QTest::keyClick(host_->View().focusProxy(), Qt::Key_Return);
  EXPECT_TRUE(peer.WaitForPart("OnPrivmsg", "hello page", 15000));
  EXPECT_TRUE(WaitText("log", QStringLiteral("own #velko <reader> hello page")));

  server.Stop();
  EXPECT_TRUE(WaitText("state", QString::fromUtf8("끊김 (lost)"))) << Text("state").toStdString();
  ASSERT_TRUE(server.Restart());
  EXPECT_TRUE(WaitText("state", QString::fromUtf8("연결됨: reader"))) << Text("state").toStdString();
}

// What cannot be done rejects with its code, and nothing opens inside the
// control; everything the page writes to its console reaches standard error.
TEST_F(PageHost, FailuresRejectWithTheirCodes) {
  Open(PagePath("control.html"));
  ASSERT_TRUE(WaitHeard(QStringLiteral("OnCreate fromparam"))) << Heard().join('|').toStdString();
  Eval(QStringLiteral("velko.ADDR = 'bad host name:99999'; 0"));
  Settle(QStringLiteral("connect"), QStringLiteral("velko.Connect()"));
  EXPECT_EQ(Settled(QStringLiteral("connect")),
            QString::fromUtf8("bad-address 서버 주소가 올바르지 않습니다: bad host name:99999"));
  const std::pair<const char*, const char*> refused[] = {
      {"velko.ShowChanChange()", "no-channel-window 앞에 채널 창이 없습니다."},
      {"velko.Join('#x')", "not-connected 서버에 접속되어 있지 않습니다."},
      {"velko.Join('a b')", "bad-channel 채널 이름이 올바르지 않습니다."},
      {"velko.Members('#x')", "no-channel 그 채널 창이 없습니다."},
      {"velko.Say('#x', '')", "empty-text 보낼 말이 없습니다."},
      {"velko.SetSkin('no address')", "skin-address 스킨 주소를 불러올 수 없습니다: no address"},
  };
  for (const auto& [call, answer] : refused) {
    const QString name = QStringLiteral("r") + QString::number(qHash(QLatin1String(call)));
    Settle(name, QLatin1String(call));
    EXPECT_EQ(Settled(name), QString::fromUtf8(answer)) << call;
  }
  // A skin that cannot be fetched is told to the page, after the call.
  Eval(QStringLiteral("velko.addEventListener('OnError', (e) => window.heard.push(e.detail.code + ' ' + e.detail.text));"
                      "velko.SetSkin('http://127.0.0.1:1/none.skin'); 0"));
  EXPECT_TRUE(WaitHeard(QString::fromUtf8("skin-load HTML-Error : 10061 (연결이 거부되었습니다)")))
      << Heard().join('|').toStdString();
  QString caption, text;
  EXPECT_EQ(host_->Bridge().FirstEmbed()->Dialog(&caption, &text), S_FALSE) << caption.toStdString();
  // The refused Connect applied nothing, not even the nick.
  EXPECT_EQ(Eval(QStringLiteral("String(velko.Connected) + ' ' + velko.CurrentNick")).toString(),
            QStringLiteral("false VELKO"));

  Eval(QStringLiteral("console.log('said with log'); 0"));
  EXPECT_TRUE(WaitUntil([&] { return host_->Messages().contains(QStringLiteral("log: said with log")); }))
      << host_->Messages().join('|').toStdString();
}

// Wherever the page goes: another page, a blank one, the same one again.
// Its control goes with it, and so does its session.
TEST_F(PageHost, LeavingThePageDestroysItsControlAndThePageHearsIt) {
  NgircdServer server;
  ASSERT_TRUE(server.Start());
  EngineRecorder peer;
  ASSERT_TRUE(peer.LogOnAndJoin(server.Port(), "peer", "#left"));
  for (const char* away : {"location.href = 'broken.html'", "location.href = 'about:blank'", "location.reload()"}) {
    Open(PagePath("control.html"));
    ASSERT_TRUE(WaitHeard(QStringLiteral("OnCreate fromparam"))) << Heard().join('|').toStdString();
    const QPointer<QWidget> widget = ControlWidget();
    Eval(QStringLiteral("velko.ADDR = '127.0.0.1:%1'; velko.CHAN = 'left'; velko.Connect(); 0").arg(server.Port()));
    ASSERT_TRUE(peer.WaitFor("OnOtherJoin\t#left\tfromparam", 15000)) << away;
    Eval(QLatin1String(away));
    EXPECT_TRUE(WaitUntil([&] { return !host_->Messages().filter(QStringLiteral("heard OnDestroy")).isEmpty(); }))
        << away << ": " << host_->Messages().join('|').toStdString();
    EXPECT_TRUE(WaitUntil([&] { return widget.isNull(); })) << away;
    EXPECT_EQ(host_->Messages().filter(QStringLiteral("heard OnDestroy")).size(), 1) << away;
    // It leaves its channels on the way out.
    EXPECT_TRUE(peer.WaitFor("OnOtherPart\t#left\tfromparam\t:", 15000)) << away;
    peer.lines.clear();
  }
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
  // A call of the page's own, written straight onto the channel's transport
  // (a second channel there would race the bridge's replies in flight).
  Eval(QStringLiteral("{ const t = qt.webChannelTransport, keep = t.onmessage, m = 2147483647;"
                      "  t.onmessage = (message) => {"
                      "    const data = typeof message.data === 'string' ? JSON.parse(message.data) : message.data;"
                      "    if (data.id !== 'hostile') return keep(message);"
                      "    t.onmessage = keep; };"
                      "  t.send(JSON.stringify({type: 6, object: 'velkoHost', method: 'place',"
                      "                         args: [1, m, m, m, m, true, m, m], id: 'hostile'})); } 0"));
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

  // Wider than the view: cut at the scroll bar, and hidden with its object.
  Eval(QStringLiteral("velko.style.width = '2000px'; 0"));
  ASSERT_TRUE(follows());
  const int viewWidth = Eval(QStringLiteral("document.documentElement.clientWidth")).toInt();
  EXPECT_LT(viewWidth, host_->View().width());
  EXPECT_EQ(widget->mask().boundingRect().right() + widget->x(), viewWidth - 1);
  Eval(QStringLiteral("velko.style.display = 'none'; 0"));
  ASSERT_TRUE(WaitUntil([&] { return !widget->isVisible(); }));
  Eval(QStringLiteral("velko.style.display = ''; 0"));
  ASSERT_TRUE(WaitUntil([&] { return widget->isVisible(); }));
  EXPECT_EQ(ControlWidget(), widget);

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
  THostPage::PrepareProcess(false);
  QApplication app(argc, argv);
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
