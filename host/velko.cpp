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

bool Fail(const QString& message) {
  std::cerr << "velko: " << message.toStdString() << '\n';
  return false;
}

bool LoadProperties(const HostOptions& options, IDispatch* control) {
  NamedValues page;
  if (!options.page.isEmpty()) {
    const PageParams params = ReadPageParams(options.page, QString::fromStdString(GuidToString(CLSID_nVELKO_1)));
    if (!params.ok()) return Fail(params.error);
    page = params.values;
  }
  const ComPtr<PropertyBag> bag = MakeCom<PropertyBag>(MergeProperties(page, options.properties));
  const ComPtr<IPersistPropertyBag> persist = ComPtr<IDispatch>(control).As<IPersistPropertyBag>();
  const HRESULT hr = persist ? persist->Load(bag.Get()) : E_NOINTERFACE;
  if (FAILED(hr)) return Fail(TakeErrorMessage().value_or(QStringLiteral("the properties cannot be loaded")));
  return true;
}

QString GrabFolder(const HostOptions& options) {
  return options.grabDir.isEmpty() ? qEnvironmentVariable("VELKO_GRAB_DIR") : options.grabDir;
}

int Run(QApplication& app, const HostOptions& options) {
  ComPtr<InVELKO_1> control;
  if (FAILED(CreateByProgID(kVelko1ProgId, ModulePath().constData(), IID_InVELKO_1, control.PutVoid()))) {
    Fail(TakeErrorMessage().value_or(QStringLiteral("the control cannot be created")));
    return 1;
  }
  const ComPtr<IVelkoEmbed> embed = control.As<IVelkoEmbed>();
  if (!embed) return Fail(QStringLiteral("the control cannot be embedded")), 1;
  THostWindow window(control.Get(), embed->Widget());
  if (!LoadProperties(options, control.Get())) return 1;
  window.show();
  window.Call("Connect");
  if (options.script.isEmpty()) return app.exec();

  THostCommands commands(*embed.Get(), window, GrabFolder(options));
  ScriptDriver driver(control.Get(), commands, std::cout);
  QObject::connect(&driver, &ScriptDriver::quitRequested, &app, &QApplication::quit);
  QObject::connect(&driver, &ScriptDriver::finished, &app, &QApplication::quit);
  const QString error = driver.ReadFrom(options.script);
  if (!error.isEmpty()) return Fail(error), 1;
  return app.exec();
}

}  // namespace

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  const ParsedOptions parsed = ParseHostOptions(app.arguments().mid(1));
  if (!parsed.ok() || parsed.options.help) {
    (parsed.ok() ? std::cout : std::cerr) << parsed.error.toStdString() << (parsed.ok() ? "" : "\n")
                                          << HostUsage().toStdString();
    return parsed.ok() ? 0 : 2;
  }
  return Run(app, parsed.options);
}
