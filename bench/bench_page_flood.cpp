// A flood of channel lines through the whole page host: a server process
// sends 20 000 PRIVMSG lines to the joined channel, and the time runs from
// its first byte to the last line shown in the control's pane and, with a
// page listening to OnMessage, to the last message counted by the page's
// script. The longest gap of a 10 ms timer is the longest time the host
// stood still.  bench_page_flood [listen|none] [lines]
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <chrono>
#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "F_pagehost.h"
#include "bench_wire.h"
#include "com_server.h"

namespace {

using Clock = std::chrono::steady_clock;

// The server, in its own process: reports when the flood's first byte went.
int ServeFlood(int listener, int report, int lines) {
  const int client = accept(listener, nullptr, nullptr);
  if (client < 0 || !ReadUntil(client, "NICK")) return 1;
  WriteAll(client, ":srv 001 me :Welcome\r\n");
  if (!ReadUntil(client, "JOIN")) return 1;
  WriteAll(client, ":me!u@h JOIN :#flood\r\n:srv 353 me = #flood :@me bob\r\n:srv 366 me #flood :End\r\n");
  std::string flood;
  for (int i = 0; i < lines; ++i)
    flood += ":user" + std::to_string(i % 500) + "!u@h PRIVMSG #flood :\xec\x95\x88\xeb\x85\x95 line " +
             std::to_string(i) + "\r\n";
  const auto start = Clock::now().time_since_epoch();
  if (!WriteAll(client, flood)) return 1;
  dprintf(report, "%lld\n", static_cast<long long>(std::chrono::duration_cast<std::chrono::microseconds>(start).count()));
  ReadUntil(client, "QUIT");
  close(client);
  return 0;
}

QString PageText(bool listen, int lines) {
  QString page = QStringLiteral(
      "<!DOCTYPE html><html><body>"
      "<object id='velko' classid='clsid:1F8CD809-9D95-4E72-8009-B33E180AEA07' width='497' height='203'></object>"
      "<p id='count'>0</p>");
  if (listen)
    page += QStringLiteral(
                "<script>let count = 0;</script>"
                "<script for='velko' event='OnMessage(w, nick, text, kind)'>"
                "  document.getElementById('count').textContent = ++count;"
                "  if (text.endsWith(' line %1')) console.log('last ' + count);"
                "</script>")
                .arg(lines - 1);
  return page + QStringLiteral("<script for='velko' event='OnCreate'>velko.Connect();</script></body></html>");
}

ComPtr<InVELKO_1> CreateControl(QString* error) {
  ComPtr<InVELKO_1> control;
  if (FAILED(CreateByProgID(kVelko1ProgId, VELKO1_MODULE, IID_InVELKO_1, control.PutVoid())))
    *error = QStringLiteral("cannot create the control");
  return control;
}

double MsSince(long long startUs, Clock::time_point end) {
  return (std::chrono::duration_cast<std::chrono::microseconds>(end.time_since_epoch()).count() - startUs) / 1000.0;
}

}  // namespace

int main(int argc, char** argv) {
  const bool listen = argc < 2 || std::string(argv[1]) != "none";
  const int lines = argc > 2 ? std::max(1, std::atoi(argv[2])) : 20000;
  uint16_t port = 0;
  const int listener = ListenOnLoopback(&port);
  int report[2];
  if (listener < 0 || pipe(report) != 0) return 1;
  const pid_t server = fork();
  if (server == 0) _exit(ServeFlood(listener, report[1], lines));
  close(listener);
  close(report[1]);

  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  THostPage::PrepareProcess(false);
  QApplication app(argc, argv);
  QTemporaryDir folder;  // the user's own settings stay untouched
  qputenv("VELKO_REGISTRY_DIR", QFile::encodeName(folder.filePath(QStringLiteral("registry"))));
  QFile page(folder.filePath(QStringLiteral("flood.html")));
  if (!page.open(QIODevice::WriteOnly) || page.write(PageText(listen, lines).toUtf8()) <= 0) return 1;
  page.close();

  THostPage host(CreateControl, {{QStringLiteral("ADDR"), QStringLiteral("127.0.0.1:%1").arg(port)},
                                 {QStringLiteral("NICK"), QStringLiteral("me")},
                                 {QStringLiteral("CHAN"), QStringLiteral("#flood")}});
  host.resize(800, 600);
  host.show();
  host.Open(page.fileName());

  Clock::time_point lastTick = Clock::now();
  double longestStallMs = 0;
  QTimer ticker;
  QObject::connect(&ticker, &QTimer::timeout, [&] {
    const auto now = Clock::now();
    longestStallMs = std::max(longestStallMs, std::chrono::duration<double, std::milli>(now - lastTick).count());
    lastTick = now;
  });

  const QString lastLine = QStringLiteral("line %1").arg(lines - 1);
  Clock::time_point inPane;
  Clock::time_point inPage;
  QTimer poll;
  QObject::connect(&poll, &QTimer::timeout, [&] {
    IVelkoEmbed* embed = host.Bridge().FirstEmbed();
    QStringList tail;
    if (inPane == Clock::time_point() && embed && SUCCEEDED(embed->PaneLines(QStringLiteral("#flood"), 1, &tail)) &&
        !tail.isEmpty() && tail.last().endsWith(lastLine)) {
      inPane = Clock::now();
      if (!ticker.isActive()) ticker.start(10);
    }
    if (inPage == Clock::time_point() && !host.Messages().filter(QStringLiteral("last ")).isEmpty())
      inPage = Clock::now();
    if (inPane != Clock::time_point() && (!listen || inPage != Clock::time_point())) app.quit();
  });
  // Reading the pane costs the host itself: not too often.
  poll.start(100);
  ticker.start(10);
  app.exec();

  long long startUs = 0;
  FILE* start = fdopen(report[0], "r");
  if (!start || std::fscanf(start, "%lld", &startUs) != 1) return 1;
  host.Leave();
  kill(server, SIGTERM);
  waitpid(server, nullptr, 0);
  std::printf("page %s, %d lines\n", listen ? "listening to OnMessage" : "without listeners", lines);
  std::printf("first byte to last line in the pane: %.0f ms\n", MsSince(startUs, inPane));
  if (listen) {
    std::printf("first byte to last message in the page: %.0f ms (%s)\n", MsSince(startUs, inPage),
                qPrintable(host.Messages().filter(QStringLiteral("last ")).value(0)));
  }
  std::printf("longest stall of the host's event loop: %.0f ms\n", longestStallMs);
  return 0;
}
