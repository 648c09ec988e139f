// Memory of the chat window under a server that never ends its capability
// offer: a server process sends continuation lines of CAP LS for many MB,
// then welcomes and pings; the window's RSS is read before and after.
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

#include "F_mainform.h"
#include "bench_wire.h"

namespace {

const int kOfferMb = qEnvironmentVariableIntValue("OFFER_MB") > 0 ? qEnvironmentVariableIntValue("OFFER_MB") : 78;

int ServeEndlessOffer(int listener) {
  const int client = accept(listener, nullptr, nullptr);
  if (client < 0 || !ReadUntil(client, "CAP LS")) return 1;
  std::string line = ":srv CAP * LS * :";
  for (int i = 0; line.size() < 480; ++i) line += "vendor.example/capability-" + std::to_string(i) + " ";
  line += "\r\n";
  std::string block;
  while (block.size() < (1u << 20)) block += line;
  for (int mb = 0; mb < kOfferMb; ++mb)
    if (!WriteAll(client, block)) return 1;
  if (!WriteAll(client, ":srv CAP * LS :sasl\r\n:srv 001 me :Welcome\r\nPING :offer-end\r\n") || !ReadUntil(client, "PONG"))
    return 1;
  close(client);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  uint16_t port = 0;
  const pid_t server = ServeInChild(ServeEndlessOffer, &port);
  if (server < 0) return 1;
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  QTemporaryDir registry;  // the user's own settings stay untouched
  qputenv("VELKO_REGISTRY_DIR", QFile::encodeName(registry.path()));
  TMainForm form;
  form.show();
  app.processEvents();
  const long before = CurrentRssKb();
  bool done = false;
  AlsoOn(form.Client().Engine().OnPing, [&] { done = true; });
  form.Client().ApplyNick("me");
  form.Client().ConnectTo(("127.0.0.1:" + std::to_string(port)).c_str());
  while (!done) app.processEvents(QEventLoop::WaitForMoreEvents);
  for (int i = 0; i < 10; ++i) app.processEvents();
  waitpid(server, nullptr, 0);
  std::printf("endless CAP LS offer of %d MB: RSS before %.1f MB, after %.1f MB (+%.1f MB)\n", kOfferMb,
              before / 1024.0, CurrentRssKb() / 1024.0, (CurrentRssKb() - before) / 1024.0);
  return 0;
}
