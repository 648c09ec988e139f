#include "U_pagerequest.h"

#include <algorithm>
#include <cmath>

namespace {

int Clamped(double value, int low, int high) {
  if (std::isnan(value)) return 0;
  return static_cast<int>(std::lround(std::clamp(value, double(low), double(high))));
}

}  // namespace

namespace PageRequest {

QRect Box(double x, double y, double width, double height) {
  return QRect(Clamped(x, -kMaxCoordinate, kMaxCoordinate), Clamped(y, -kMaxCoordinate, kMaxCoordinate),
               Clamped(width, 0, kMaxCoordinate), Clamped(height, 0, kMaxCoordinate));
}

NamedValues Params(const QVariantList& params) {
  NamedValues values;
  for (const QVariant& pair : params.mid(0, kMaxParams)) {
    const QVariantList entry = pair.toList();
    if (entry.size() != 2) continue;
    const QString name = entry[0].toString();
    const QString value = entry[1].toString();
    if (name.size() <= kMaxText && value.size() <= kMaxText) values.emplace_back(name, value);
  }
  return values;
}

TArgs Args(const QVariantList& args) {
  TArgs result;
  if (args.size() > kMaxArgs) {
    result.refused = QStringLiteral("too many arguments");
    return result;
  }
  for (const QVariant& arg : args) {
    QString text = arg.toString();
    if (text.size() > kMaxText) {
      result.refused = QStringLiteral("a text longer than %1 characters").arg(kMaxText);
      return result;
    }
    result.texts << std::move(text);
  }
  return result;
}

}  // namespace PageRequest
