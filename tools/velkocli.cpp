// velkocli: the engine's console client, for debugging and scripted runs.
#include <QCoreApplication>
#include <cstdio>

#include "cli_options.h"
#include "cli_session.h"

int main(int argc, char** argv) {
  // The plain poll loop costs less per turn than the GLib one, and a DCC
  // send takes one turn per block.
  qputenv("QT_NO_GLIB", "1");
  QCoreApplication app(argc, argv);
  static char lines[1 << 16];
  setvbuf(stdout, lines, _IOFBF, sizeof lines);
  const CliProgram program{{QStringLiteral("velkocli"),
                             QStringLiteral("The engine's console client: prints every engine event as a line and "
                                            "sends each line of standard input to the server."),
                             {}, {}, {}},
                            true};
  const CliCommand command = ParseCliOptions(program, std::vector<std::string>(argv + 1, argv + argc));
  if (const int code = ReportProgramLine(command.line, program.syntax.name); code >= 0) return code;
  CliSession session(command.options);
  session.Start();
  return app.exec();
}
