#include "U_panelook.h"

#include <QDateTime>
#include <algorithm>

#include "C_datas.h"
#include "U_nameindex.h"

namespace {

// Each at least 4.5:1 against white.
constexpr uint32_t kNickPalette[] = {
    0xB3261E, 0x1B6E2E, 0x1A5DAB, 0x7B3FA0, 0x9A4A00, 0x00716B,
    0xA3195B, 0x5D4037, 0x3949AB, 0x5C6B00, 0x00707F, 0x8E24AA,
};

}  // namespace

TPaneLook PaneLookOf(const CDatas& settings) {
  return TPaneLook{settings.Timestamps != 0, settings.NickColors != 0,
                   std::clamp(settings.PaneLines, kPaneLinesMin, kPaneLinesMax)};
}

std::span<const uint32_t> NickPalette() { return kNickPalette; }

uint32_t NickColor(std::string_view nick) { return kNickPalette[ZoFoldHash()(nick) % std::size(kNickPalette)]; }

const QString& TStampClock::Stamp(int64_t utcMs) {
  if (utcMs <= 0) utcMs = QDateTime::currentMSecsSinceEpoch();
  // Zones are whole minutes off UTC, so a UTC minute is a local one.
  const int64_t minute = utcMs / 60000;
  if (minute != minute_) {
    minute_ = minute;
    stamp_ = QDateTime::fromMSecsSinceEpoch(minute * 60000).toLocalTime().toString(QStringLiteral("[HH:mm] "));
  }
  return stamp_;
}
