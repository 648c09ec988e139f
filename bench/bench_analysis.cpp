// Lines per second through analysis and event dispatch for a busy channel:
// a 500-name listing, joins and parts, mode changes and a stream of messages.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <cstring>
#include <string>
#include <vector>

#include "Zoengine.h"

namespace {

std::vector<std::string> BusyChannelLines() {
  std::vector<std::string> lines{":me!q@h JOIN :#busy"};
  std::string names;
  for (int i = 0; i < 500; ++i) {
    names += (i % 10 == 0 ? "@" : i % 7 == 0 ? "+" : "") + std::string("user") + std::to_string(i) + " ";
    if (names.size() > 380 || i == 499) {
      lines.push_back(":irc.srv 353 me = #busy :" + names);
      names.clear();
    }
  }
  lines.push_back(":irc.srv 366 me #busy :End of NAMES list");
  for (int i = 0; i < 200; ++i) {
    const std::string who = "user" + std::to_string(i * 2);
    lines.push_back(":" + who + "!u@host.example PRIVMSG #busy :message number " + std::to_string(i) + " with some text");
    if (i % 10 == 0) lines.push_back(":guest" + std::to_string(i) + "!g@guest.example JOIN :#busy");
    if (i % 10 == 5) lines.push_back(":guest" + std::to_string(i - 5) + "!g@guest.example PART #busy :bye");
    if (i % 20 == 0) lines.push_back(":user0!u@host.example MODE #busy +o-v " + who + " " + who);
  }
  return lines;
}

void BindAll(TZoEngine& engine, int64_t* events) {
  auto count = [events](auto&&...) { ++*events; };
  engine.OnIRC = count;
  engine.OnPrivmsg = count;
  engine.OnOtherJoin = count;
  engine.OnOtherPart = count;
  engine.OnOwnerJoin = count;
  engine.OnMode = count;
  engine.OnUserMode = count;
  engine.OnNames = count;
  engine.OnLine = count;
}

void AnalyseAndDispatch(benchmark::State& state) {
  const std::vector<std::string> lines = BusyChannelLines();
  TZoEngine engine;
  engine.SetNick("me");
  int64_t events = 0;
  BindAll(engine, &events);
  char buffer[4097];
  for (auto _ : state) {
    for (const std::string& line : lines) {
      memcpy(buffer, line.c_str(), line.size() + 1);
      engine.atLine(buffer);
    }
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(lines.size()));
  state.counters["events/line"] = static_cast<double>(events) / static_cast<double>(state.iterations() * lines.size());
}
BENCHMARK(AnalyseAndDispatch)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
