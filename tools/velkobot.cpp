// velkobot: a second participant for local runs, driven by the engine alone.
#include <QCoreApplication>
#include <QSocketNotifier>
#include <csignal>
#include <cstdio>
#include <sys/socket.h>
#include <unistd.h>

#include "bot_session.h"
#include "cli_options.h"

namespace {

int signalPipe[2] = {-1, -1};

// Only async-signal-safe work here: the event loop picks the byte up.
void OnSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t written = write(signalPipe[1], &byte, 1);
}

bool CatchTermination() {
  if (socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0, signalPipe) != 0) return false;
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  return sigaction(SIGTERM, &action, nullptr) == 0 && sigaction(SIGINT, &action, nullptr) == 0;
}

CliOptions BotDefaults() {
  CliOptions defaults;
  defaults.nick = "velkobot";
  defaults.user = "Velko chat partner";
  defaults.channels = {"#velko"};
  return defaults;
}

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const CliProgram program{{QStringLiteral("velkobot"),
                             QStringLiteral("A chat partner for local runs: joins its channels, greets, and answers "
                                            "when named or spoken to privately."),
                             {}, {}, {}}};
  const CliCommand command =
      ParseCliOptions(program, std::vector<std::string>(argv + 1, argv + argc), BotDefaults());
  if (const int code = ReportProgramLine(command.line, program.syntax.name); code >= 0) return code;
  if (!CatchTermination()) {
    perror("velkobot: signals");
    return 1;
  }
  BotSession session(command.options);
  QSocketNotifier termination(signalPipe[0], QSocketNotifier::Read);
  QObject::connect(&termination, &QSocketNotifier::activated, &session, [&] {
    char byte;
    [[maybe_unused]] const ssize_t count = read(signalPipe[0], &byte, 1);
    session.Quit();
  });
  session.Start();
  return app.exec();
}
