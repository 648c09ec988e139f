// The host program. Given a page, it shows it in a web view with its own HTML
// and script, each control placed over its <object>; without one it places a
// control above an input line and the buttons. Either way the control is
// created by its ProgID through the component layer, its properties come
// from the page and the command line, and a script may drive it.
#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QUrl>
#include <QTimer>
#include <iostream>
#include <memory>

#include "F_hostcommands.h"
#include "F_hostwindow.h"
#include "F_pagehost.h"
#include "C_datas.h"
#include "U_codepage.h"
#include "U_firstpaint.h"
#include "U_hostoptions.h"
#include "Velko1_embed.h"
#include "Velko1_tlb.h"
#include "com_persist.h"
#include "com_server.h"

namespace {

QByteArray ModulePath() {
  const QByteArray configured = qgetenv("VELKO1_MODULE");
  return configured.isEmpty() ? QByteArray(VELKO1_MODULE) : configured;
}

// Says what went wrong; the program's exit code for it.
int Fail(const QString& message) {
  std::cerr << "velko: " << message.toStdString() << '\n';
  return 1;
}

// A page named like a file must be there; a URL is the web view's to fetch.
bool PageFound(const QString& page) {
  if (page.isEmpty() || QFileInfo::exists(page)) return true;
  return !QUrl::fromUserInput(page, QDir::currentPath(), QUrl::AssumeLocalFile).isLocalFile();
}

QString LastError(const char* fallback) { return TakeErrorMessage().value_or(QString::fromLatin1(fallback)); }

// The options through the control's property bag load; an error text when
// that fails.
QString LoadProperties(const HostOptions& options, IDispatch* control) {
  const ComPtr<PropertyBag> bag = MakeCom<PropertyBag>(options.properties);
  const ComPtr<IPersistPropertyBag> persist = ComPtr<IDispatch>(control).As<IPersistPropertyBag>();
  const HRESULT hr = persist ? persist->Load(bag.Get()) : E_NOINTERFACE;
  return FAILED(hr) ? LastError("the properties cannot be loaded") : QString();
}

ComPtr<InVELKO_1> CreateControl(QString* error) {
  ComPtr<InVELKO_1> control;
  if (FAILED(CreateByProgID(kVelko1ProgId, ModulePath().constData(), IID_InVELKO_1, control.PutVoid()))) {
    *error = LastError("the control cannot be created");
    return {};
  }
  return control;
}

QString GrabFolder(const HostOptions& options) {
  return options.grabDir.isEmpty() ? qEnvironmentVariable("VELKO_GRAB_DIR") : options.grabDir;
}

// A script against a control, with the host commands of the window it is in.
struct ScriptSession {
  ScriptSession(IDispatch* control, IVelkoEmbed* embed, QWidget& window, const HostOptions& options)
      : embed_(embed), commands(*embed, window, GrabFolder(options)), driver(control, commands, std::cout) {
    QObject::connect(&driver, &ScriptDriver::quitRequested, qApp, &QApplication::quit);
    QObject::connect(&driver, &ScriptDriver::finished, qApp, &QApplication::quit);
  }
  ComPtr<IVelkoEmbed> embed_;
  THostCommands commands;
  ScriptDriver driver;
};

// The page's first control gets the script once it is created.
int RunPage(QApplication& app, const HostOptions& options) {
  THostPage window(CreateControl, options.properties);
  std::unique_ptr<ScriptSession> script;
  QObject::connect(&window.Bridge(), &TPageBridge::controlAttached, &window, [&] {
    ReportFirstPaintOf(window.Bridge().FirstEmbed()->Widget());
    if (options.inputLine) window.Bridge().FirstEmbed()->ShowInputLine(true);
  });
  if (!options.script.isEmpty()) {
    QObject::connect(&window.Bridge(), &TPageBridge::controlAttached, &window, [&] {
      if (script) return;
      script = std::make_unique<ScriptSession>(window.Bridge().FirstControl(), window.Bridge().FirstEmbed(), window,
                                               options);
      const QString error = script->driver.ReadFrom(options.script);
      if (!error.isEmpty()) app.exit(Fail(error));
    });
    QObject::connect(&window.Bridge(), &TPageBridge::pageStarted, &window, [&](int controls) {
      if (!controls && !script) app.exit(Fail(QStringLiteral("the page embeds no control for the script")));
    });
  }
  window.Open(options.page);
  window.show();
  const int code = app.exec();
  // The script's references go first, so that leaving destroys the controls.
  script.reset();
  window.Leave();
  return code;
}

int Run(QApplication& app, const HostOptions& options) {
  if (!options.page.isEmpty()) return RunPage(app, options);
  QString failure;
  const ComPtr<InVELKO_1> control = CreateControl(&failure);
  if (!control) return Fail(failure);
  const ComPtr<IVelkoEmbed> embed = control.As<IVelkoEmbed>();
  if (!embed) return Fail(QStringLiteral("the control offers no widget to embed"));
  THostWindow window(control.Get(), embed->Widget());
  ReportFirstPaintOf(embed->Widget());
  if (options.inputLine) embed->ShowInputLine(true);
  const QString error = LoadProperties(options, control.Get());
  if (!error.isEmpty()) return Fail(error);
  window.show();
  window.Call("Connect");
  if (options.script.isEmpty()) return app.exec();
  ScriptSession script(control.Get(), embed.Get(), window, options);
  const QString failed = script.driver.ReadFrom(options.script);
  if (!failed.isEmpty()) return Fail(failed);
  return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
  StartFirstPaintClock();
  // Read before the application starts, so that usage needs no display.
  QStringList args;
  for (int i = 1; i < argc; ++i) args.append(QString::fromLocal8Bit(argv[i]));
  const ParsedOptions parsed = ParseHostOptions(args);
  if (const int code = ReportProgramLine(parsed.line, QStringLiteral("velko")); code >= 0) return code;
  if (!PageFound(parsed.options.page)) return Fail(QStringLiteral("%1: no such page file").arg(parsed.options.page));
  std::vector<std::pair<std::string, std::string>> settings;
  for (const auto& [name, value] : parsed.options.settings) settings.emplace_back(name.toStdString(), EncodeText(value));
  if (const std::string error = StoreSettings(settings); !error.empty()) {
    std::cerr << "velko: " << error << '\n';
    return 2;
  }
  if (OnlySettings(parsed.options)) return 0;
  if (!parsed.options.page.isEmpty()) THostPage::PrepareProcess();
  QApplication app(argc, argv);
  return Run(app, parsed.options);
}
