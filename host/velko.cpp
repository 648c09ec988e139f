// The host program: plays the page that embeds the control. It creates the
// control by its ProgID through the component layer, loads its properties
// from the page and the command line, places it in a window above the page's
// input line and buttons, connects, and may play a script against it.
#include <QApplication>
#include <QTimer>
#include <iostream>

#include "F_hostcommands.h"
#include "F_hostwindow.h"
#include "U_hostoptions.h"
#include "U_pageparams.h"
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

QString LastError(const char* fallback) { return TakeErrorMessage().value_or(QString::fromLatin1(fallback)); }

// The page's values, then the options, through the control's property bag
// load; an error text when that fails.
QString LoadProperties(const HostOptions& options, IDispatch* control) {
  NamedValues page;
  if (!options.page.isEmpty()) {
    const PageParams params = ReadPageParams(options.page, QString::fromStdString(GuidToString(CLSID_nVELKO_1)));
    if (!params.ok()) return params.error;
    page = params.values;
  }
  const ComPtr<PropertyBag> bag = MakeCom<PropertyBag>(MergeProperties(page, options.properties));
  const ComPtr<IPersistPropertyBag> persist = ComPtr<IDispatch>(control).As<IPersistPropertyBag>();
  const HRESULT hr = persist ? persist->Load(bag.Get()) : E_NOINTERFACE;
  return FAILED(hr) ? LastError("the properties cannot be loaded") : QString();
}

QString GrabFolder(const HostOptions& options) {
  return options.grabDir.isEmpty() ? qEnvironmentVariable("VELKO_GRAB_DIR") : options.grabDir;
}

// Plays the script until it quits or ends.
int PlayScript(QApplication& app, IDispatch* control, ScriptHostCommands& commands, const QString& script) {
  ScriptDriver driver(control, commands, std::cout);
  QObject::connect(&driver, &ScriptDriver::quitRequested, &app, &QApplication::quit);
  QObject::connect(&driver, &ScriptDriver::finished, &app, &QApplication::quit);
  const QString error = driver.ReadFrom(script);
  if (!error.isEmpty()) return Fail(error);
  return app.exec();
}

int Run(QApplication& app, const HostOptions& options) {
  ComPtr<InVELKO_1> control;
  if (FAILED(CreateByProgID(kVelko1ProgId, ModulePath().constData(), IID_InVELKO_1, control.PutVoid())))
    return Fail(LastError("the control cannot be created"));
  const ComPtr<IVelkoEmbed> embed = control.As<IVelkoEmbed>();
  if (!embed) return Fail(QStringLiteral("the control offers no widget to embed"));
  THostWindow window(control.Get(), embed->Widget());
  const QString error = LoadProperties(options, control.Get());
  if (!error.isEmpty()) return Fail(error);
  window.show();
  window.Call("Connect");
  if (options.script.isEmpty()) return app.exec();
  THostCommands commands(*embed.Get(), window, GrabFolder(options));
  return PlayScript(app, control.Get(), commands, options.script);
}

}  // namespace

int main(int argc, char** argv) {
  // Read before the application starts, so that usage needs no display.
  QStringList args;
  for (int i = 1; i < argc; ++i) args.append(QString::fromLocal8Bit(argv[i]));
  const ParsedOptions parsed = ParseHostOptions(args);
  if (!parsed.ok()) {
    std::cerr << parsed.error.toStdString() << '\n' << HostUsage().toStdString();
    return 2;
  }
  if (parsed.options.help) {
    std::cout << HostUsage().toStdString();
    return 0;
  }
  QApplication app(argc, argv);
  return Run(app, parsed.options);
}
