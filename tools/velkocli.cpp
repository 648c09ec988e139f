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
  std::string error;
  const auto options = ParseCliOptions(std::vector<std::string>(argv + 1, argv + argc), &error);
  if (!options) {
    fprintf(stderr, "velkocli: %s\nusage: velkocli [--addr [ircs://]HOST[:[+]PORT]] [--nick NICK] [--user NAME] [--join #a,#b]\n"
            "                [--dcc-dir DIR] [--accept-chat]\n",
            error.c_str());
    return 2;
  }
  CliSession session(*options);
  session.Start();
  return app.exec();
}
