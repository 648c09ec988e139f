#include "U_hostmain.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QUrl>
#include <iostream>

#include "C_datas.h"
#include "F_hostwindow.h"
#include "U_appsetup.h"
#include "U_codepage.h"
#include "U_firstpaint.h"
#include "U_programfiles.h"
#include "U_settingrules.h"
#include "com_persist.h"
#include "com_server.h"

namespace {

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

QString GrabFolder(const HostOptions& options) {
  return options.grabDir.isEmpty() ? qEnvironmentVariable("VELKO_GRAB_DIR") : options.grabDir;
}

// Stored before anything starts; an error text when they cannot be. Paths
// are kept as the file system spells them, texts in CP949.
std::string StoreOptionSettings(const HostOptions& options) {
  std::vector<std::pair<std::string, std::string>> settings;
  for (const auto& [name, value] : options.settings) {
    const TSettingInfo* info = FindSetting(name.toStdString());
    const bool path = info && info->kind == TSettingKind::Path;
    settings.emplace_back(name.toStdString(), path ? QFile::encodeName(value).toStdString() : EncodeText(value));
  }
  return StoreSettings(settings);
}

int RunWithoutPage(const HostOptions& options, const QByteArray& module) {
  QString failure;
  const ComPtr<InVELKO_1> control = CreateControl(module, &failure);
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
  if (options.script.isEmpty()) return qApp->exec();
  ScriptSession script(control.Get(), embed.Get(), window, options);
  const QString failed = script.driver.ReadFrom(options.script);
  if (!failed.isEmpty()) return Fail(failed);
  return qApp->exec();
}

}  // namespace

int Fail(const QString& message) {
  std::cerr << "velko: " << message.toStdString() << '\n';
  return 1;
}

QByteArray ControlModule(const char* besideProgram) {
  const QByteArray configured = qgetenv("VELKO1_MODULE");
  return configured.isEmpty() ? BesideProgram(besideProgram) : configured;
}

ComPtr<InVELKO_1> CreateControl(const QByteArray& module, QString* error) {
  ComPtr<InVELKO_1> control;
  if (FAILED(CreateByProgID(kVelko1ProgId, module.constData(), IID_InVELKO_1, control.PutVoid()))) {
    *error = LastError("the control cannot be created");
    return {};
  }
  return control;
}

ScriptSession::ScriptSession(IDispatch* control, IVelkoEmbed* embed, QWidget& window, const HostOptions& options)
    : embed_(embed), commands(*embed, window, GrabFolder(options)), driver(control, commands, std::cout) {
  QObject::connect(&driver, &ScriptDriver::quitRequested, qApp, &QApplication::quit);
  QObject::connect(&driver, &ScriptDriver::finished, qApp, &QApplication::quit);
}

QStringList ProgramArguments(int argc, char** argv) {
  QStringList args;
  for (int i = 1; i < argc; ++i) args.append(QString::fromLocal8Bit(argv[i]));
  return args;
}

int HostMain(int& argc, char** argv, const ParsedOptions& parsed, const HostProgram& program) {
  // Read before the application starts, so that usage needs no display.
  if (const int code = ReportProgramLine(parsed.line, QStringLiteral("velko")); code >= 0) return code;
  const HostOptions& options = parsed.options;
  if (!PageFound(options.page)) return Fail(QStringLiteral("%1: no such page file").arg(options.page));
  const bool page = !options.page.isEmpty();
  if (page && program.handsPagesOn) return program.showPage(argc, argv, options);
  if (const std::string error = StoreOptionSettings(options); !error.empty()) {
    std::cerr << "velko: " << error << '\n';
    return 2;
  }
  if (OnlySettings(options)) return 0;
  if (page) return program.showPage(argc, argv, options);
  QApplication app(argc, argv);
  PrepareApplication(app);
  return RunWithoutPage(options, program.module);
}
