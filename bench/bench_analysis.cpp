// Lines per second through analysis and event dispatch for a busy channel
// (also with IRCv3 tags on every line):
// a 500-name listing, joins and parts, mode changes and a stream of messages;
// and how lookups hold up in huge channels: a join flood with its quits, and
// messages in a channel of many members against an empty one.
#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <cstring>
#include <string>
#include <vector>

#include "Zoengine.h"
#include "event_lines.h"

namespace {

std::vector<std::string> NamesListing() {
  std::vector<std::string> lines;
  std::string names;
  for (int i = 0; i < 500; ++i) {
    names.append(i % 10 == 0 ? "@" : i % 7 == 0 ? "+" : "").append("user").append(std::to_string(i)).append(" ");
    if (names.size() > 380 || i == 499) {
      lines.push_back(":irc.srv 353 me = #busy :" + names);
      names.clear();
    }
  }
  lines.push_back(":irc.srv 366 me #busy :End of NAMES list");
  return lines;
}

std::vector<std::string> Traffic() {
  std::vector<std::string> lines;
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


void Feed(TZoEngine& engine, const std::vector<std::string>& lines) {
  char buffer[4097];
  for (const std::string& line : lines) {
    memcpy(buffer, line.c_str(), line.size() + 1);
    engine.atLine(buffer);
  }
}

// The tags a server with every capability on puts on a line.
std::string Tagged(const std::string& line, size_t i) {
  return "@time=2026-12-07T20:41:05." + std::to_string(100 + i % 900) + "Z;msgid=Zm9vYmFy" + std::to_string(i) +
         ";account=user" + std::to_string(i % 500) + " " + line;
}

// listing 1: a fresh 500-name listing in every round; tags 1: every line tagged.
void AnalyseAndDispatch(benchmark::State& state) {
  const bool withListing = state.range(0) != 0;
  std::vector<std::string> lines = withListing ? NamesListing() : std::vector<std::string>{};
  for (const std::string& line : Traffic()) lines.push_back(line);
  if (state.range(1))
    for (size_t i = 0; i < lines.size(); ++i) lines[i] = Tagged(lines[i], i);
  TZoEngine engine;
  engine.SetNick("me");
  int64_t events = 0;
  BindAll(engine, &events);
  Feed(engine, {":me!q@h JOIN :#busy"});
  Feed(engine, NamesListing());
  for (auto _ : state) Feed(engine, lines);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(lines.size()));
  state.counters["lines"] = static_cast<double>(lines.size());
}
BENCHMARK(AnalyseAndDispatch)
    ->ArgNames({"listing", "tags"})
    ->ArgsProduct({{0, 1}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

// Goal: 50 000 JOINs then their QUITs in at most 0.5 s.
void JoinFloodThenQuits(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  std::vector<std::string> joins, quits;
  for (int i = 0; i < count; ++i) {
    const std::string nick = "Guest" + std::to_string(i);
    joins.push_back(":" + nick + "!g@flood.example JOIN :#flood");
    quits.push_back(":" + nick + "!g@flood.example QUIT :bye");
  }
  TZoEngine engine;
  engine.SetNick("me");
  Feed(engine, {":me!q@h JOIN :#flood"});
  for (auto _ : state) {
    Feed(engine, joins);
    Feed(engine, quits);
  }
  state.SetItemsProcessed(state.iterations() * count * 2);
}
BENCHMARK(JoinFloodThenQuits)->Arg(20000)->Arg(50000)->Unit(benchmark::kMillisecond);

// Goal: with 20 000 members within 20 % of an empty channel. lines:1 turns
// every event into its text line as the command-line client does, so the
// figure is a client's, not the bare analyser's.
void PrivmsgByMembers(benchmark::State& state) {
  TZoEngine engine;
  engine.SetNick("me");
  int64_t events = 0;
  size_t written = 0;
  if (state.range(1))
    BindEventLines(engine, [&written](const std::string& line) { written += line.size(); });
  else
    BindAll(engine, &events);
  Feed(engine, {":me!q@h JOIN :#big"});
  std::vector<std::string> lines;
  for (int64_t i = 0; i < state.range(0); ++i) lines.push_back(":member" + std::to_string(i) + "!m@h JOIN :#big");
  Feed(engine, lines);
  lines.clear();
  for (int i = 0; i < 1000; ++i) {
    const std::string who = state.range(0) ? "member" + std::to_string(i * 19 % state.range(0)) : "stranger";
    lines.push_back(":" + who + "!m@h PRIVMSG #big :message number " + std::to_string(i) + " with some text");
  }
  for (auto _ : state) Feed(engine, lines);
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(lines.size()));
}
BENCHMARK(PrivmsgByMembers)
    ->ArgNames({"members", "lines"})
    ->ArgsProduct({{0, 20000}, {0, 1}})
    ->Unit(benchmark::kMicrosecond);

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
