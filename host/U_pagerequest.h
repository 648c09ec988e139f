// What a page's script hands the host, made safe before it reaches a widget
// or a control: a page may call the bridge with any values it likes.
#pragma once

#include <QRect>
#include <QString>
#include <QVariantList>
#include <optional>

#include "U_namedvalues.h"

namespace PageRequest {

// Coordinates and sizes beyond this lie outside any view (and X's limit).
constexpr int kMaxCoordinate = 32767;
// Longer texts are refused; a control line is 512 bytes, a property one line.
constexpr qsizetype kMaxText = 64 * 1024;
constexpr qsizetype kMaxParams = 64;
constexpr qsizetype kMaxArgs = 4;

// The object's box: coordinates within +-kMaxCoordinate, sizes within
// 0..kMaxCoordinate; a value that is not a number counts as 0.
QRect Box(double x, double y, double width, double height);
// The object's <param> pairs, at most kMaxParams, texts within kMaxText.
NamedValues Params(const QVariantList& params);
// A call's arguments as texts, or the reason they are refused.
struct TArgs {
  QStringList texts;
  QString refused;
};
TArgs Args(const QVariantList& args);

}  // namespace PageRequest
