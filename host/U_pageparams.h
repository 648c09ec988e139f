// Reads the page the host plays: the <param name=... value=...> entries of its
// control's <object> element, through a real HTML parser that copes with
// broken markup.
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

// The control's object is the one whose classid is "clsid:" and `classId`
// (braces and letter case aside), else the page's first object. Bytes that
// are valid UTF-8 are read as UTF-8, anything else as CP949.
PageParams ParsePageParams(const QByteArray& html, const QString& classId = {});
PageParams ReadPageParams(const QString& path, const QString& classId = {});
