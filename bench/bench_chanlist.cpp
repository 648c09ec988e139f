// The channel list under a large server's listing: 50 000 channels arrive
// and are shown, and a header click re-sorts them.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <random>
#include <string>
#include <vector>

#include "U_chanlistgrid.h"

namespace {

constexpr int kChannels = 50000;

struct TListed {
  std::string name;
  int users;
  std::string topic;
};

// Replies as the engine hands them on, made before the clock runs.
const std::vector<TListed>& Listing() {
  static const std::vector<TListed> listing = [] {
    std::mt19937 random(7);
    std::vector<TListed> rows;
    rows.reserve(kChannels);
    for (int i = 0; i < kChannels; ++i) {
      std::string topic = std::string("\x03").append(std::to_string(random() % 16)).append("topic ");
      topic.append(std::to_string(random())).append(random() % 60, 'x').append(" \x02more\x02");
      const std::string name = std::string("#c").append(std::to_string(random() % 1000000));
      rows.push_back({name, static_cast<int>(random() % 500), topic});
    }
    return rows;
  }();
  return listing;
}

void ListAll(TChanListGrid& grid) {
  grid.ListReply(321, nullptr, 0, nullptr);
  for (const TListed& row : Listing()) grid.ListReply(322, row.name.c_str(), row.users, row.topic.c_str());
  grid.ListReply(323, nullptr, 0, nullptr);
}

void ShowGrid(TChanListGrid& grid) {
  grid.resize(800, 600);
  grid.show();
  grid.repaint();
}

void BM_ListingShown(benchmark::State& state) {
  Listing();
  TChanListGrid grid;
  ShowGrid(grid);
  for (auto _ : state) {
    ListAll(grid);
    grid.repaint();
  }
  state.counters["rows"] = grid.Model().EntryCount();
}
BENCHMARK(BM_ListingShown)->Unit(benchmark::kMillisecond);

// A click on the header of column `range(0)`, each time after the rows were
// sorted by another column, so that every click is a full sort.
void BM_HeaderSort(benchmark::State& state) {
  const int column = static_cast<int>(state.range(0));
  TChanListGrid grid;
  ListAll(grid);
  ShowGrid(grid);
  for (auto _ : state) {
    state.PauseTiming();
    grid.SortByColumn(column == 0 ? 1 : 0);
    state.ResumeTiming();
    grid.SortByColumn(column);
    grid.repaint();
  }
}
BENCHMARK(BM_HeaderSort)->Arg(0)->Arg(1)->Arg(2)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
