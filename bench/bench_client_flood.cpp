// End-to-end speed of the chat window: a server process floods one joined
// channel with coded PRIVMSG lines and times them until the PING after them
// is answered. Also the memory of many full channel windows. FLOOD_LOGS=1
// writes chat logs meanwhile; FLOOD_CAPS=1 has the server grant every IRCv3
// capability the client asks for (its history answered empty) and tag every
// line; FLOOD_PLAIN=1 shows lines without time stamps and nick colours;
// FLOOD_PANE_LINES=N keeps N lines a pane.
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include "F_mainform.h"
#include "F_mchannel.h"
#include "U_paneview.h"
#include "U_render.h"
#include "U_subforms.h"
#include "U_windowview.h"
#include "bench_wire.h"

namespace {

const int kFloodLines = qEnvironmentVariableIntValue("FLOOD_LINES") > 0 ? qEnvironmentVariableIntValue("FLOOD_LINES") : 100000;
const bool kCaps = qEnvironmentVariableIntValue("FLOOD_CAPS") != 0;

constexpr const char* kAllCaps =
    "account-notify account-tag away-notify batch cap-notify chghost draft/chathistory echo-message extended-join "
    "invite-notify labeled-response message-tags multi-prefix server-time setname userhost-in-names";

// Grants every capability asked for; false when the client went away.
bool Negotiate(int client) {
  if (!WriteAll(client, std::string(":srv CAP * LS :") + kAllCaps + "\r\n") || !ReadUntil(client, "CAP REQ")) return false;
  return WriteAll(client, std::string(":srv CAP * ACK :") + kAllCaps + "\r\n") && ReadUntil(client, "CAP END");
}

// The channel's history, asked for on joining, is empty: live lines wait for its answer.
bool AnswerHistory(int client) {
  return ReadUntil(client, "CHATHISTORY") && WriteAll(client, ":srv BATCH +h chathistory #flood\r\n:srv BATCH -h\r\n");
}

std::string Tags(int i) {
  if (!kCaps) return {};
  return "@time=2026-12-07T20:41:05." + std::to_string(100 + i % 900) + "Z;msgid=Zm9vYmFy" + std::to_string(i) +
         ";account=user" + std::to_string(i % 500) + " ";
}

long PeakRssKb() {
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

// The server side, in its own process: returns the flood's milliseconds.
int ServeFlood(int listener, int report) {
  const int client = accept(listener, nullptr, nullptr);
  if (client < 0 || !ReadUntil(client, "NICK")) return 1;
  if (kCaps && !Negotiate(client)) return 1;
  WriteAll(client, ":srv 001 me :Welcome\r\n:me!u@h JOIN :#flood\r\n:srv 353 me = #flood :@me bob +amy\r\n"
                   ":srv 366 me #flood :End\r\n");
  if (kCaps && !AnswerHistory(client)) return 1;
  std::string flood;
  flood.reserve(static_cast<size_t>(kFloodLines) * 90);
  for (int i = 0; i < kFloodLines; ++i)
    flood += Tags(i) + ":user" + std::to_string(i % 500) + "!u@h PRIVMSG #flood :\x02" "bold\x02 text \x03" "04,01colour\x03 line " +
             std::to_string(i) + "\r\n";
  flood += "PING :flood-end\r\n";
  const auto start = std::chrono::steady_clock::now();
  if (!WriteAll(client, flood) || !ReadUntil(client, "PONG")) return 1;
  const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
  dprintf(report, "%f\n", ms);
  close(client);
  return 0;
}

// Each window filled to what a pane keeps, stamped and with nick colours.
void MeasureManyWindows(TMainForm& form) {
  const long before = CurrentRssKb();
  const int lines = form.Subforms().PaneLook().lines;
  for (int c = 0; c < 50; ++c) form.Subforms().OpenChannel(("#room" + std::to_string(c)).c_str());
  QApplication::processEvents();
  const long windows = CurrentRssKb();
  for (int c = 0; c < 50; ++c) {
    const std::string name = "#room" + std::to_string(c);
    for (int i = 0; i < lines; ++i) {
      const std::string text = "\x02" "line\x02 \x03" "03number\x03 " + std::to_string(i) + " of a long day";
      form.View().Write(*RenderPrivmsg(("someone" + std::to_string(i % 40)).c_str(), name.c_str(), text.c_str()));
    }
    QApplication::processEvents();
  }
  std::printf("50 channel windows x %d lines: RSS %.1f MB (window layer added %.1f MB, the lines %.1f MB)\n", lines,
              CurrentRssKb() / 1024.0, (CurrentRssKb() - before) / 1024.0, (CurrentRssKb() - windows) / 1024.0);
  form.Subforms().CloseAll();
}

}  // namespace

int main(int argc, char** argv) {
  uint16_t port = 0;
  const int listener = ListenOnLoopback(&port);
  if (listener < 0) return 1;
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return 1;
  const pid_t server = fork();
  if (server == 0) _exit(ServeFlood(listener, pipeFds[1]));
  close(listener);
  close(pipeFds[1]);

  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir registry;  // the user's own settings stay untouched
  qputenv("VELKO_REGISTRY_DIR", QFile::encodeName(registry.path()));
  TMainForm form;
  form.Client().Settings().ChatLogs = qEnvironmentVariableIntValue("FLOOD_LOGS");
  const bool plain = qEnvironmentVariableIntValue("FLOOD_PLAIN") != 0;
  form.Client().Settings().Timestamps = !plain;
  form.Client().Settings().NickColors = !plain;
  if (const int keep = qEnvironmentVariableIntValue("FLOOD_PANE_LINES"); keep > 0) form.Client().Settings().PaneLines = keep;
  form.show();
  MeasureManyWindows(form);

  const long rssBefore = CurrentRssKb();
  bool done = false;
  std::chrono::steady_clock::time_point firstLine;
  // Wrapped, so whatever the window does with these events still happens.
  auto onLine = form.Client().Engine().OnLine;
  form.Client().Engine().OnLine = [&](const char* line) {
    if (firstLine == std::chrono::steady_clock::time_point() && std::strstr(line, "PRIVMSG"))
      firstLine = std::chrono::steady_clock::now();
    ZoRaise(onLine, line);
  };
  int messages = 0;
  auto onPrivmsg = form.Client().Engine().OnPrivmsg;
  form.Client().Engine().OnPrivmsg = [&](const char* nick, const char* target, const char* text) {
    ++messages;
    ZoRaise(onPrivmsg, nick, target, text);
  };
  auto onPing = form.Client().Engine().OnPing;
  form.Client().Engine().OnPing = [&](void* none) {
    done = true;
    ZoRaise(onPing, none);
  };
  form.Client().ApplyNick("me");
  form.Client().ConnectTo(("127.0.0.1:" + std::to_string(port)).c_str());
  while (!done) app.processEvents(QEventLoop::WaitForMoreEvents);
  TmChannel* channel = form.Subforms().FindChannel("#flood");
  while (channel && channel->PendingCount() > 0) app.processEvents();
  const double shownMs =
      std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - firstLine).count();

  double ms = 0;
  FILE* report = fdopen(pipeFds[0], "r");
  if (!report || std::fscanf(report, "%lf", &ms) != 1) return 1;
  waitpid(server, nullptr, 0);
  std::printf("chat logs: %s; capabilities and tags: %s; stamps and nick colours: %s\n",
              form.Client().Settings().ChatLogs ? "written" : "off", kCaps ? "all" : "none", plain ? "off" : "on");
  std::printf("flood: %d lines until the PING was answered: %.0f ms = %.0f lines/s\n", kFloodLines, ms,
              kFloodLines / (ms / 1000.0));
  std::printf("messages handled by the window: %d\n", messages);
  std::printf("first line received to last line shown: %.0f ms = %.0f lines/s; pane holds %d lines\n", shownMs,
              kFloodLines / (shownMs / 1000.0), channel ? channel->rView->Lines().Count() : -1);
  std::printf("RSS before flood %.1f MB, after %.1f MB, peak %.1f MB\n", rssBefore / 1024.0, CurrentRssKb() / 1024.0,
              PeakRssKb() / 1024.0);
  return 0;
}
