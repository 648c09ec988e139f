// A page's messages to the host's bridge, decoded from JSON as the web
// channel decodes them: [["place", x, y, w, h], ["invoke", args...],
// ["attach", params]]. Every box stays where widgets can compute with it,
// every call's texts stay bounded, every param is a bounded pair.
#include <QJsonArray>
#include <QJsonDocument>
#include <cstdlib>

#include "U_pagerequest.h"

namespace {

void CheckBox(const QJsonArray& message) {
  const QRect box = PageRequest::Box(message[1].toDouble(), message[2].toDouble(), message[3].toDouble(),
                                     message[4].toDouble());
  constexpr int limit = PageRequest::kMaxCoordinate;
  if (box.width() < 0 || box.width() > limit || box.height() < 0 || box.height() > limit) abort();
  if (box.x() < -limit || box.x() > limit || box.y() < -limit || box.y() > limit) abort();
  // What a widget computes from its geometry must not overflow.
  (void)box.right();
  (void)box.bottom();
  (void)box.center();
}

void CheckArgs(const QJsonArray& message) {
  const PageRequest::TArgs args = PageRequest::Args(message.toVariantList().mid(1));
  if (args.refused.isEmpty() && args.texts.size() > PageRequest::kMaxArgs) abort();
  for (const QString& text : args.texts)
    if (text.size() > PageRequest::kMaxText) abort();
}

void CheckParams(const QJsonArray& message) {
  const NamedValues params = PageRequest::Params(message[1].toArray().toVariantList());
  if (static_cast<qsizetype>(params.size()) > PageRequest::kMaxParams) abort();
  for (const auto& [name, value] : params)
    if (name.size() > PageRequest::kMaxText || value.size() > PageRequest::kMaxText) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QJsonDocument document =
      QJsonDocument::fromJson(QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));
  for (const QJsonValue& value : document.array()) {
    const QJsonArray message = value.toArray();
    const QString kind = message[0].toString();
    if (kind == QLatin1String("place")) CheckBox(message);
    if (kind == QLatin1String("invoke")) CheckArgs(message);
    if (kind == QLatin1String("attach")) CheckParams(message);
  }
  return 0;
}
