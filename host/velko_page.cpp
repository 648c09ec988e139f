// The page program: the host with a page, which it shows in a web view with
// its own HTML and script, each control placed over its <object>. The plain
// host hands it its whole command line; it links the browser engine so that
// the plain host need not.
#include <QApplication>
#include <memory>

#include "F_pagehost.h"
#include "U_appsetup.h"
#include "U_firstpaint.h"
#include "U_hostmain.h"

namespace {

const QByteArray& Module() {
  static const QByteArray module = ControlModule(VELKO1_MODULE);
  return module;
}

ComPtr<InVELKO_1> CreatePageControl(QString* error) { return CreateControl(Module(), error); }

// The page's first control gets the script once it is created.
int ShowPage(int& argc, char** argv, const HostOptions& options) {
  THostPage::PrepareProcess(options.verbose);
  QApplication app(argc, argv);
  PrepareApplication(app);
  THostPage window(CreatePageControl, options.properties);
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

}  // namespace

int main(int argc, char** argv) {
  StartFirstPaintClock();
  const HostProgram program{Module(), ShowPage, false};
  return HostMain(argc, argv, ParseHostOptions(ProgramArguments(argc, argv)), program);
}
