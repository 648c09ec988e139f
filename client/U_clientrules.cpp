#include "U_clientrules.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <map>
#include <string_view>

#include "U_codepage.h"
#include "U_windowkinds.h"

namespace {

unsigned char FoldAscii(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte;
}

}  // namespace

const char* WindowKindLabel(int kind) {
  static const char* const labels[] = {"ABSTRACT", "CHANNEL", "CHANLIST", "STATUS", "QUERY", "DCCFILE", "DCCCHAT"};
  return kind >= wkAbstract && kind <= wkDccChat ? labels[kind - wkAbstract] : "?";
}

namespace {

const char* WindowKindName(int kind) {
  static const char* const names[] = {"창", "채널", "채널 목록", "상태창", "귓속말", "파일 전송", "직접 대화"};
  return kind >= wkAbstract && kind <= wkDccChat ? names[kind - wkAbstract] : "?";
}

}  // namespace

QRect FullAreaGeometry(QSize area) { return QRect(-1, -1, area.width() + 2, area.height() + 2); }

std::vector<QRect> TileGeometry(int n, bool frontVisible, QSize area) {
  const int w = area.width();
  const int h = area.height();
  std::vector<QRect> rects;
  if (n == 1) {
    if (frontVisible) rects.push_back(FullAreaGeometry(area));
  } else if (n == 2) {
    rects.emplace_back(0, 0, w + 1, h / 2 + 1);
    rects.emplace_back(0, h / 2, w + 1, h / 2 + 1);
  } else if (n >= 3) {
    const int rows = n / 2 + n % 2;
    const int r = h / rows;
    for (int k = 1; k <= n; ++k) {
      const int top = ((k + 1) / 2 - 1) * r;
      if (k == n && n % 2 == 1)
        rects.emplace_back(0, top, w + 1, r + 1);
      else
        rects.emplace_back(k % 2 == 1 ? w / 2 : 0, top, w / 2 + 1, r + 1);
    }
  }
  return rects;
}

namespace {

constexpr int kCascadeStep = 16;

QSize CascadeSize(QSize area) {
  return {static_cast<int>(area.width() * 0.7), static_cast<int>(area.height() * 0.6)};
}

}  // namespace

std::vector<QRect> CascadeGeometry(int n, QSize area) {
  std::vector<QRect> rects;
  for (int i = 0; i < n; ++i) rects.emplace_back(QPoint(kCascadeStep * i, kCascadeStep * i), CascadeSize(area));
  return rects;
}

QRect NewWindowGeometry(QRect front, QSize area) {
  const QSize size = CascadeSize(area);
  QPoint at(0, 0);
  if (!front.isEmpty()) at = front.topLeft() + QPoint(kCascadeStep, kCascadeStep);
  const bool fits = at.x() >= 0 && at.y() >= 0 && at.x() + size.width() <= area.width() &&
                    at.y() + size.height() <= area.height();
  return {fits ? at : QPoint(0, 0), size};
}

QRect FitInside(QRect f, QSize area) {
  f.setWidth(std::min(f.width(), area.width()));
  f.setHeight(std::min(f.height(), area.height()));
  return KeepMovedInside(f, area);
}

QRect KeepMovedInside(QRect f, QSize area) {
  if (f.left() < 0) f.moveLeft(0);
  if (f.top() < 0) f.moveTop(0);
  if (f.left() + f.width() > area.width()) f.moveLeft(area.width() - f.width());
  if (f.top() + f.height() > area.height()) f.moveTop(area.height() - f.height());
  return f;
}

QRect KeepSizedInside(QRect f, QSize area) {
  if (f.left() < 0) f.setLeft(0);
  if (f.top() < 0) f.setTop(0);
  if (f.left() + f.width() > area.width()) f.setWidth(area.width() - f.left());
  if (f.top() + f.height() > area.height()) f.setHeight(area.height() - f.top());
  return f;
}

std::string ChannelCaption(const char* name, int users, const char* modes, const char* key, int limit,
                           const char* topic) {
  char buffer[512];
  const bool hasKey = key && *key;
  const bool hasLimit = limit > 0;
  if (hasKey && hasLimit)
    std::snprintf(buffer, sizeof buffer, "%s [%d %s %s %d] %s", name, users, modes, key, limit, topic);
  else if (hasKey)
    std::snprintf(buffer, sizeof buffer, "%s [%d %s %s] %s", name, users, modes, key, topic);
  else if (hasLimit)
    std::snprintf(buffer, sizeof buffer, "%s [%d %s %d] %s", name, users, modes, limit, topic);
  else
    std::snprintf(buffer, sizeof buffer, "%s [%d %s] %s", name, users, modes, topic);
  return buffer;
}

std::string SelectMenuCaption(int kind, const char* caption) {
  constexpr size_t kShown = 32;
  const size_t length = std::strlen(caption);
  // Cut between whole characters so the menu never shows half a Korean letter.
  const std::string shown(caption, length > kShown ? Cp949CutLength(caption, length, kShown) : length);
  return std::string("[") + Cp949Literal(WindowKindName(kind)) + "] - " + shown + (length > kShown ? "..." : "");
}

std::vector<std::string> DistinctEntries(std::vector<std::string> entries) {
  std::map<std::string, int> seen;
  for (std::string& entry : entries)
    if (const int times = ++seen[entry]; times > 1) entry += " (" + std::to_string(times) + ")";
  return entries;
}

std::vector<std::string> AutoJoinEntries(const char* list) {
  std::vector<std::string> entries;
  if (!list || !*list) return entries;
  const std::string text(list);
  size_t start = 0;
  while (start <= text.size()) {
    const size_t comma = text.find(',', start);
    const std::string piece = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (comma == std::string::npos && piece.empty()) break;
    entries.push_back(piece.starts_with('#') ? piece : "#" + piece);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  return entries;
}

bool IsQuitLine(const char* line) {
  if (!line) return false;
  while (*line == ' ') ++line;
  for (const char c : {'Q', 'U', 'I', 'T'})
    if (FoldAscii(*line++) != FoldAscii(c)) return false;
  const char after = *line;
  return after == 0 || after == ' ' || after == '\r' || after == '\n' || after == ':';
}

std::vector<std::string> OutputLines(const char* text) {
  std::vector<std::string> lines;
  const std::string all(text ? text : "");
  size_t start = 0;
  while (start < all.size()) {
    size_t end = all.find_first_of("\r\n", start);
    if (end == std::string::npos) end = all.size();
    lines.push_back(all.substr(start, end - start));
    start = end;
    if (start < all.size() && all[start] == '\r') ++start;
    if (start < all.size() && all[start] == '\n') ++start;
  }
  if (lines.empty()) lines.emplace_back();
  return lines;
}

bool UserEntryLess(const std::string& a, const std::string& b) {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [](char x, char y) { return FoldAscii(x) < FoldAscii(y); });
}

// The entries are not put together unless a nick starts with a prefix sign,
// which servers do not allow.
bool MemberEntryLess(char prefixA, const char* nickA, char prefixB, const char* nickB) {
  const char firstA = prefixA ? prefixA : nickA[0];
  const char firstB = prefixB ? prefixB : nickB[0];
  if (prefixA == prefixB || FoldAscii(firstA) != FoldAscii(firstB)) {
    if (prefixA != prefixB) return FoldAscii(firstA) < FoldAscii(firstB);
    while (*nickA && FoldAscii(*nickA) == FoldAscii(*nickB)) ++nickA, ++nickB;
    return FoldAscii(*nickA) < FoldAscii(*nickB);
  }
  const auto entry = [](char prefix, const char* nick) { return (prefix ? std::string(1, prefix) : std::string()) + nick; };
  return UserEntryLess(entry(prefixA, nickA), entry(prefixB, nickB));
}
