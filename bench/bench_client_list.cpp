// A large server's listing through the main window: 50 000 channel replies
// parsed by the engine, handed to the channel list window and shown, against
// the same replies parsed by an engine with no window behind it.
#include <QApplication>
#include <QTemporaryDir>
#include <chrono>
#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "F_mainform.h"
#include "F_mchanlist.h"
#include "U_chanlistgrid.h"
#include "U_subforms.h"

namespace {

constexpr int kChannels = 50000;

std::vector<std::string> ListingLines() {
  std::mt19937 random(7);
  std::vector<std::string> lines{":srv 321 me Channel :Users Name"};
  for (int i = 0; i < kChannels; ++i)
    lines.push_back(":srv 322 me #c" + std::to_string(random() % 1000000) + " " + std::to_string(random() % 500) +
                    " :\x03" + std::to_string(random() % 16) + "topic " + std::to_string(random()) +
                    std::string(random() % 60, 'x') + " \x02more\x02");
  lines.push_back(":srv 323 me :End of LIST");
  return lines;
}

template <class F>
double Milliseconds(F&& run) {
  const auto start = std::chrono::steady_clock::now();
  run();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  QTemporaryDir registry;
  qputenv("VELKO_REGISTRY_DIR", registry.path().toLocal8Bit());
  QApplication app(argc, argv);
  const std::vector<std::string> lines = ListingLines();

  TZoEngine bare;
  const double parsed = Milliseconds([&] {
    for (const std::string& line : lines) bare.SimulateLine(line.c_str());
  });

  TMainForm form;
  form.resize(800, 600);
  form.show();
  QApplication::processEvents();
  const double shown = Milliseconds([&] {
    for (const std::string& line : lines) form.Client().Engine().SimulateLine(line.c_str());
    QApplication::processEvents();
    form.grab();  // the first screen of rows painted
  });
  auto* list = form.Subforms().Find<TmChanList>(nullptr);
  const double sorted = Milliseconds([&] {
    list->sgChanList->SortByColumn(0);
    list->grab();
  });
  std::printf("%d replies: parsed alone %.1f ms, parsed and shown %.1f ms, client time %.1f ms; "
              "header sort by name %.1f ms (%d rows)\n",
              kChannels, parsed, shown, shown - parsed, sorted, list->sgChanList->Model().EntryCount());
  return 0;
}
