// Reads the page the host plays: the <param name=... value=...> entries of its
// first <object> element, through a real HTML parser that copes with broken
// markup.
#pragma once

#include <QByteArray>
#include <QString>
#include <utility>
#include <vector>

using NamedValues = std::vector<std::pair<QString, QString>>;

struct PageParams {
  NamedValues values;  // in page order; entries without a name are left out
  QString error;       // set when the page cannot be used

  bool ok() const { return error.isEmpty(); }
};

// Larger pages are refused rather than parsed.
inline constexpr qsizetype kMaxPageBytes = 4 * 1024 * 1024;

// Bytes that are valid UTF-8 are read as UTF-8, anything else as CP949.
PageParams ParsePageParams(const QByteArray& html);
PageParams ReadPageParams(const QString& path);
