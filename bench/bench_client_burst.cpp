// Large bursts from a server through the main window: a names listing of
// 50 000 members, a 100 000-line message of the day, 2 000 own joins and
// 1 000 members joining, renamed, opped and leaving one channel. Each
// is timed from the request to the moment the window shows all of it, and the
// longest pause of a 10 ms timer tells how long the window stood still.
// Arguments name the bursts to run (names, motd, joins, members); none runs all.
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTextBlock>
#include <QTextDocument>
#include <QTextEdit>
#include <QTimer>
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "F_mainform.h"
#include "F_mchannel.h"
#include "M_motd.h"
#include "U_subforms.h"
#include "bench_wire.h"

namespace {

constexpr int kNames = 50000;
constexpr int kMotdLines = 100000;
constexpr int kJoins = 2000;
constexpr int kMembers = 1000;

std::string NamesBurst() {
  std::string burst;
  std::string line;
  for (int i = 0; i < kNames; ++i) {
    const char* prefix = i % 50 == 0 ? "@" : i % 7 == 0 ? "+" : "";
    if (!line.empty()) line += ' ';
    line.append(prefix).append("member").append(std::to_string(i * 7919 % 100003));
    if (line.size() > 400 || i == kNames - 1) {
      burst += ":srv 353 me = #burst :" + line + "\r\n";
      line.clear();
    }
  }
  return burst + ":srv 366 me #burst :End of NAMES list\r\n";
}

std::string MotdBurst() {
  std::string burst = ":srv 375 me :- srv Message of the day -\r\n";
  for (int i = 0; i < kMotdLines; ++i)
    burst += ":srv 372 me :- \x02" "motd\x02 line " + std::to_string(i) + " of the server's long greeting\r\n";
  return burst + ":srv 376 me :End of MOTD command\r\n";
}

std::string JoinBurst() {
  std::string burst;
  for (int i = 0; i < kJoins; ++i) burst += ":me!u@h JOIN :#j" + std::to_string(i) + "\r\n";
  return burst;
}

// Everyone joins, every third is renamed, every fifth opped, then half leave.
std::string MemberBurst() {
  std::string burst;
  const auto nick = [](int i) { return "guest" + std::to_string(i * 7919 % 100003); };
  const auto now = [&](int i) { return (i % 3 == 0 ? "Re" : "") + nick(i); };
  for (int i = 0; i < kMembers; ++i) burst += ":" + nick(i) + "!u@h JOIN :#burst\r\n";
  for (int i = 0; i < kMembers; i += 3) burst += ":" + nick(i) + "!u@h NICK :" + now(i) + "\r\n";
  for (int i = 1; i < kMembers; i += 5) burst += ":op!u@h MODE #burst +o " + now(i) + "\r\n";
  for (int i = 1; i < kMembers; i += 2) burst += ":" + now(i) + "!u@h PART #burst\r\n";
  return burst;
}

std::string Burst(const std::string& name) {
  if (name == "names") return NamesBurst();
  if (name == "motd") return MotdBurst();
  if (name == "members") return MemberBurst();
  return JoinBurst();
}

// The server side, in its own process: each request line the client sends
// ("BURST name") is answered by that burst and a PING.
int Serve(int listener, const std::vector<std::string>& names) {
  const int client = accept(listener, nullptr, nullptr);
  if (client < 0 || !ReadUntil(client, "NICK")) return 1;
  WriteAll(client, ":srv 001 me :Welcome\r\n:me!u@h JOIN :#burst\r\n");
  for (const std::string& name : names)
    if (!ReadUntil(client, ("BURST " + name).c_str()) || !WriteAll(client, Burst(name) + "PING :burst-end\r\n"))
      return 1;
  ReadUntil(client, "QUIT");
  close(client);
  return 0;
}

// The longest time between two ticks of a 10 ms timer since the last Reset.
class StallMeter {
 public:
  StallMeter() {
    QObject::connect(&timer_, &QTimer::timeout, [this] {
      longest_ = std::max(longest_, sinceTick_.restart());
    });
    timer_.start(10);
    sinceTick_.start();
  }
  void Reset() {
    longest_ = 0;
    sinceTick_.restart();
  }
  qint64 LongestMs() const { return std::max(longest_, sinceTick_.elapsed()); }

 private:
  QTimer timer_;
  QElapsedTimer sinceTick_;
  qint64 longest_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> asked(argv + 1, argv + argc);
  std::vector<std::string> names;
  for (const char* name : {"names", "motd", "joins", "members"})
    if (asked.empty() || std::find(asked.begin(), asked.end(), name) != asked.end()) names.push_back(name);
  uint16_t port = 0;
  const int listener = ListenOnLoopback(&port);
  if (listener < 0) return 1;
  const pid_t server = fork();
  if (server == 0) _exit(Serve(listener, names));
  close(listener);

  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir registry;  // the user's own settings stay untouched
  qputenv("VELKO_REGISTRY_DIR", QFile::encodeName(registry.path()));
  TMainForm form;
  form.resize(800, 600);
  form.show();

  bool pinged = false;
  auto onPing = form.Client().Engine().OnPing;
  form.Client().Engine().OnPing = [&](void* none) {
    pinged = true;
    ZoRaise(onPing, none);
  };
  bool loggedOn = false;
  auto onLogon = form.Client().Engine().OnLogon;
  form.Client().Engine().OnLogon = [&](void* none) {
    loggedOn = true;
    ZoRaise(onLogon, none);
  };
  form.Client().ApplyNick("me");
  form.Client().ConnectTo(("127.0.0.1:" + std::to_string(port)).c_str());
  while (!loggedOn || !form.Subforms().FindChannel("#burst")) app.processEvents(QEventLoop::WaitForMoreEvents);

  StallMeter stalls;
  const auto run = [&](const char* name, const std::string& burst, const std::function<bool()>& shown) {
    if (std::find(names.begin(), names.end(), burst) == names.end()) return;
    pinged = false;
    stalls.Reset();
    const auto start = std::chrono::steady_clock::now();
    form.Client().SendRaw(("BURST " + burst).c_str());
    while (!pinged || !shown()) app.processEvents(QEventLoop::WaitForMoreEvents, 5);
    const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
    std::printf("%-34s shown after %6.0f ms, longest stall %5lld ms\n", name, ms, stalls.LongestMs());
  };
  run("names: 50 000 members", "names", [&] {
    TmChannel* channel = form.Subforms().FindChannel("#burst");
    return channel && channel->windowTitle().startsWith(QString("#burst [%1 ").arg(kNames));
  });
  run("message of the day: 100 000 lines", "motd", [&] {
    TmMOTD* motd = CurrentMOTD();
    return motd && motd->rView->document()->lastBlock().text().contains(QString("line %1 ").arg(kMotdLines - 1));
  });
  run("own joins: 2 000 channels", "joins", [&] {
    return form.Subforms().FindChannel(("#j" + std::to_string(kJoins - 1)).c_str()) != nullptr;
  });
  const bool listed = std::find(names.begin(), names.end(), "names") != names.end();
  run("members: 1 000 join, 500 leave", "members", [&] {
    TmChannel* channel = form.Subforms().FindChannel("#burst");
    const int stay = (listed ? kNames : 0) + kMembers / 2;
    return channel && channel->windowTitle().startsWith(QString("#burst [%1 ").arg(stay));
  });
  form.Client().SendRaw("QUIT");
  waitpid(server, nullptr, 0);
  return 0;
}
