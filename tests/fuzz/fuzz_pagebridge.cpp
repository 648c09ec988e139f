// A page's messages to the host's bridge, decoded from JSON as the web
// channel decodes them: [["place", x, y, w, h], ["invoke", args...],
// ["attach", params]]. Every box must stay where widgets can compute with it.
#include <QJsonArray>
#include <QJsonDocument>
#include <cstdlib>

#include "U_pagerequest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const QJsonDocument document =
      QJsonDocument::fromJson(QByteArray::fromRawData(reinterpret_cast<const char*>(data), qsizetype(size)));
  for (const QJsonValue& value : document.array()) {
    const QJsonArray message = value.toArray();
    const QString kind = message[0].toString();
    if (kind == QLatin1String("place")) {
      const QRect box = PageRequest::Box(message[1].toDouble(), message[2].toDouble(), message[3].toDouble(),
                                         message[4].toDouble());
      constexpr int limit = PageRequest::kMaxCoordinate;
      if (std::abs(box.x()) > limit || std::abs(box.y()) > limit || box.width() > limit || box.height() > limit)
        abort();
    }
    if (kind == QLatin1String("invoke")) {
      const PageRequest::TArgs args = PageRequest::Args(message.toVariantList().mid(1));
      if (args.refused.isEmpty() && args.texts.size() > PageRequest::kMaxArgs) abort();
    }
    if (kind == QLatin1String("attach"))
      if (PageRequest::Params(message[1].toArray().toVariantList()).size() > size_t(PageRequest::kMaxParams)) abort();
  }
  return 0;
}
