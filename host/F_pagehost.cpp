#include "F_pagehost.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLoggingCategory>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>
#include <QWebChannel>
#include <QWebEngineLoadingInfo>
#include <QWebEnginePage>
#include <QWebEngineProfile>
#include <QWebEngineScript>
#include <QWebEngineScriptCollection>
#include <QWebEngineSettings>
#include <QWebEngineUrlRequestInterceptor>
#include <QWebEngineView>
#include <iostream>

#include <unistd.h>

#if defined(__SANITIZE_ADDRESS__)
// The browser engine frees some of its objects with a smaller size than it
// allocated them with (its own allocator accepts that); the sanitizer would
// stop every page at that. Everything else it checks stays on.
extern "C" const char* __asan_default_options() { return "new_delete_type_mismatch=0"; }
#endif

namespace {

constexpr const char* kBridgeName = "velko-page-bridge";

// The page's own folder is all it may read from the disk: decided on the
// real path, so a link inside cannot lead out of it. `folder` is real too.
bool InsideFolder(const QUrl& url, const QString& folder) {
  if (!url.isLocalFile()) return true;
  if (folder.isEmpty()) return false;
  const QString path = QFileInfo(url.toLocalFile()).canonicalFilePath();
  if (path.isEmpty()) return false;  // nothing there to read
  return path == folder || path.startsWith(folder + QLatin1Char('/'));
}

// A move within the document (to a fragment of it) keeps its controls; any other load replaces it.
bool LeavesDocument(const QUrl& from, const QUrl& to) {
  return !(to.hasFragment() && to.adjusted(QUrl::RemoveFragment) == from.adjusted(QUrl::RemoveFragment));
}

class FolderGuard : public QWebEngineUrlRequestInterceptor {
 public:
  void interceptRequest(QWebEngineUrlRequestInfo& info) override {
    if (!InsideFolder(info.requestUrl(), folder)) info.block(true);
  }
  QString folder;
};

// The page's messages go to the host's message line; a new document
// releases the controls of the old one first; no window is ever opened.
class PageOfHost : public QWebEnginePage {
 public:
  PageOfHost(QWebEngineProfile* profile, std::function<void(const QString&)> report, std::function<void()> leaving)
      : QWebEnginePage(profile), report_(std::move(report)), leaving_(std::move(leaving)) {}

 protected:
  void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString& message, int line,
                                const QString& source) override {
    const char* name = level == InfoMessageLevel ? "log" : level == WarningMessageLevel ? "warn" : "error";
    // The bridge's own messages speak for themselves.
    const QString where = QFileInfo(QUrl(source).path()).fileName();
    const bool plain = where.isEmpty() || where == QLatin1String(kBridgeName);
    report_(QStringLiteral("%1: ").arg(QLatin1String(name)) +
            (plain ? message : QStringLiteral("%1:%2: %3").arg(where).arg(line).arg(message)));
  }
  bool acceptNavigationRequest(const QUrl& url, NavigationType, bool isMainFrame) override {
    if (isMainFrame && LeavesDocument(this->url(), url) && leaving_) leaving_();
    return true;
  }
  QWebEnginePage* createWindow(WebWindowType) override { return nullptr; }

 private:
  std::function<void(const QString&)> report_;
  std::function<void()> leaving_;
};

QString BridgeSource() {
  QFile channel(QStringLiteral(":/qtwebchannel/qwebchannel.js"));
  QFile bridge(QStringLiteral(":/velko/page_bridge.js"));
  if (!channel.open(QIODevice::ReadOnly) || !bridge.open(QIODevice::ReadOnly)) return {};
  QStringList members;
  for (const Velko1Member& member : kVelko1Members)
    members << QStringLiteral("{name:\"%1\",kind:\"%2\",arity:%3,list:%4}")
                   .arg(QLatin1String(member.name),
                        member.kind == MemberKind::Method ? QLatin1String("method")
                        : member.readOnly                 ? QLatin1String("reader")
                                                          : QLatin1String("property"))
                   .arg(int(member.param != nullptr) + int(member.second != nullptr))
                   .arg(member.result == Velko1Result::list ? QLatin1String("true") : QLatin1String("false"));
  QStringList events;
  for (const MemberDescription& event : InVELKO_1EventsType().members) {
    QStringList params;
    for (const ParamDescription& param : event.params) params << QStringLiteral("\"%1\"").arg(QLatin1String(param.name));
    events << QStringLiteral("%1:[%2]").arg(QLatin1String(event.name), params.join(QLatin1Char(',')));
  }
  const QString classId = QString::fromStdString(GuidToString(CLSID_nVELKO_1));
  return QString::fromUtf8(channel.readAll()) +
         QStringLiteral("\n(function (VELKO_CLASSID, VELKO_MEMBERS, VELKO_EVENTS) {\n") +
         QString::fromUtf8(bridge.readAll()) +
         QStringLiteral("\n})(\"%1\", [%2], {%3});\n")
             .arg(classId, members.join(QLatin1Char(',')), events.join(QLatin1Char(',')));
}

void Restrict(QWebEngineSettings* settings) {
  settings->setAttribute(QWebEngineSettings::JavascriptCanOpenWindows, false);
  settings->setAttribute(QWebEngineSettings::JavascriptCanAccessClipboard, false);
  settings->setAttribute(QWebEngineSettings::LocalContentCanAccessRemoteUrls, false);
  settings->setAttribute(QWebEngineSettings::PluginsEnabled, false);
  settings->setAttribute(QWebEngineSettings::FullScreenSupportEnabled, false);
  settings->setAttribute(QWebEngineSettings::ScreenCaptureEnabled, false);
  settings->setAttribute(QWebEngineSettings::PdfViewerEnabled, false);
}

}  // namespace

void THostPage::PrepareProcess(bool verbose) {
  // The engine's start-up report is noise on every start, unless asked for.
  if (!verbose) QLoggingCategory::setFilterRules(QStringLiteral("qt.webenginecontext.info=false"));
  if (geteuid() == 0 && !qEnvironmentVariableIsSet("QTWEBENGINE_DISABLE_SANDBOX"))
    qputenv("QTWEBENGINE_DISABLE_SANDBOX", "1");
  QByteArray flags = qgetenv("QTWEBENGINE_CHROMIUM_FLAGS");
  if (!flags.contains("--disable-gpu")) qputenv("QTWEBENGINE_CHROMIUM_FLAGS", flags + " --disable-gpu");
  QCoreApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
}

THostPage::THostPage(TPageBridge::Factory factory, NamedValues options)
    : profile_(std::make_unique<QWebEngineProfile>()),
      view_(new QWebEngineView(this)),
      message_(new QLabel(this)) {
  setWindowTitle(QStringLiteral("Velko"));
  guard_ = new FolderGuard;
  guard_->setParent(profile_.get());
  profile_->setUrlRequestInterceptor(guard_);
  auto* page = new PageOfHost(
      profile_.get(), [this](const QString& message) { Report(message); }, [this] { bridge_->ReleaseAll(); });
  page->setParent(view_);
  Restrict(page->settings());
  view_->setPage(page);
  bridge_ = std::make_unique<TPageBridge>(*view_, std::move(factory), std::move(options),
                                          [this](int key, const QVariantMap& event) { FireInPage(key, event); });
  channel_ = std::make_unique<QWebChannel>();
  channel_->registerObject(QStringLiteral("velkoHost"), bridge_.get());
  page->setWebChannel(channel_.get());

  QWebEngineScript script;
  script.setName(QString::fromLatin1(kBridgeName));
  script.setSourceCode(BridgeSource());
  script.setInjectionPoint(QWebEngineScript::DocumentCreation);
  script.setWorldId(QWebEngineScript::MainWorld);
  script.setRunsOnSubFrames(false);
  page->scripts().insert(script);

  connect(page, &QWebEnginePage::loadFinished, this, &THostPage::ReportLoad);
  // A blank page is never asked for: its load starting is the only word that the document goes.
  connect(page, &QWebEnginePage::loadingChanged, this, [this](const QWebEngineLoadingInfo& info) {
    if (info.status() == QWebEngineLoadingInfo::LoadStartedStatus && LeavesDocument(view_->page()->url(), info.url()))
      bridge_->ReleaseAll();
  });
  connect(bridge_.get(), &TPageBridge::pageStarted, this, [this](int controls) {
    if (!controls) Report(QStringLiteral("the page embeds no control"));
  });

  message_->setWordWrap(true);
  message_->setStyleSheet(QStringLiteral("QLabel { background: #fff3cd; color: #5c3d00; padding: 3px; }"));
  message_->hide();
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(0);
  column->addWidget(view_, 1);
  column->addWidget(message_);
  resize(760, 560);
}

THostPage::~THostPage() {
  Leave();
  channel_->deregisterObject(bridge_.get());
  delete view_;
}

void THostPage::Open(const QString& page) {
  // A page reached through a link is read from where it really lies.
  url_ = QFileInfo::exists(page) ? QUrl::fromLocalFile(QFileInfo(page).canonicalFilePath())
                                 : QUrl::fromUserInput(page, QDir::currentPath(), QUrl::AssumeLocalFile);
  const QString real = url_.isLocalFile() ? QFileInfo(url_.toLocalFile()).canonicalFilePath() : QString();
  static_cast<FolderGuard*>(guard_)->folder = real.isEmpty() ? QString() : QFileInfo(real).absolutePath();
  view_->load(url_);
}

// A page can say a great deal: only the last messages are kept, fewer shown.
void THostPage::Report(const QString& message) {
  constexpr qsizetype kKept = 200;
  constexpr qsizetype kShown = 3;
  std::cerr << "velko: page: " << message.toStdString() << std::endl;
  messages_ << message;
  if (messages_.size() > kKept) messages_.removeFirst();
  message_->setText(messages_.mid(std::max<qsizetype>(0, messages_.size() - kShown)).join(QLatin1Char('\n')));
  message_->show();
}

void THostPage::ReportLoad(bool ok) {
  if (!ok) Report(QStringLiteral("cannot load %1").arg(url_.toDisplayString()));
}

// Events go to the page in batches, one script run per pass of the event
// loop: a flood of messages costs the page a few calls, not one each.
void THostPage::FireInPage(int key, const QVariantMap& event) {
  QVariantMap keyed = event;
  keyed.insert(QStringLiteral("key"), key);
  pendingEvents_.append(QJsonObject::fromVariantMap(keyed));
  if (pendingEvents_.size() == 1) QTimer::singleShot(0, this, &THostPage::SendEvents);
}

void THostPage::SendEvents() {
  const QByteArray batch = QJsonDocument(std::exchange(pendingEvents_, {})).toJson(QJsonDocument::Compact);
  view_->page()->runJavaScript(QStringLiteral("window.__velkoFire && window.__velkoFire(%1)")
                                   .arg(QString::fromUtf8(batch)));
}

void THostPage::Leave() {
  if (!bridge_->ReleaseAll()) return;
  QEventLoop loop;
  // A busy page answers after the wait has given up, or only when the page
  // goes: by then the loop is gone.
  view_->page()->runJavaScript(QStringLiteral("0"), [waiting = QPointer<QEventLoop>(&loop)](const QVariant&) {
    if (waiting) waiting->quit();
  });
  QTimer::singleShot(2000, &loop, &QEventLoop::quit);
  loop.exec();
}

void THostPage::closeEvent(QCloseEvent* event) {
  Leave();
  QWidget::closeEvent(event);
}
