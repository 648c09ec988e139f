#include "U_userlist.h"

#include <QStringList>
#include <algorithm>
#include <cstring>

#include "C_channel.h"
#include "C_user.h"
#include "U_clientrules.h"
#include "U_codepage.h"
#include "U_commondata.h"
#include "U_direction.h"

namespace {

char PrefixOf(const __stZoUserList& member) {
  const char* letters = member.modes.str();
  return strchr(letters, 'o') ? '@' : strchr(letters, 'v') ? '+' : 0;
}

QString Shown(const char* text) { return WithoutDirectionControls(DecodeDisplay(text)); }

// What the server has told of the user, one fact a line.
QString UserTip(const CZoUser& user) {
  QStringList lines;
  if (*user.Host()) lines << Shown(user.Nick()) + "!" + Shown(user.UserName()) + "@" + Shown(user.Host());
  if (*user.Account()) lines << QString::fromUtf8("계정: ") + Shown(user.Account());
  if (*user.RealName()) lines << QString::fromUtf8("이름: ") + Shown(user.RealName());
  if (user.Away())
    lines << QString::fromUtf8("자리 비움") + (*user.AwayMessage() ? ": " + Shown(user.AwayMessage()) : QString());
  return lines.join('\n');
}

}  // namespace

bool TUserListModel::Less(const Row& a, const Row& b) {
  return MemberEntryLess(a.prefix, a.user->Nick(), b.prefix, b.user->Nick());
}

int TUserListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

QVariant TUserListModel::data(const QModelIndex& index, int role) const {
  if (!index.isValid() || index.row() >= rowCount()) return {};
  const Row& row = rows_[static_cast<size_t>(index.row())];
  switch (role) {
    case Qt::DisplayRole: return (row.prefix ? QString(QChar(row.prefix)) : QString()) + Shown(row.user->Nick());
    case Qt::ToolTipRole: return UserTip(*row.user);
    case AwayRole: return row.user->Away();
    default: return {};
  }
}

void TUserListModel::Reload(const CZoChannel* channel) {
  beginResetModel();
  rows_.clear();
  if (channel) {
    // Sorted by entries put together once, not by nicks looked up at every
    // comparison: a listing of 50 000 sorts at once.
    std::vector<std::pair<std::string, Row>> keyed;
    keyed.reserve(channel->Members().size());
    for (const __stZoUserList& member : channel->Members()) {
      const Row row{member.user, PrefixOf(member)};
      keyed.emplace_back((row.prefix ? std::string(1, row.prefix) : std::string()) + member.user->Nick(), row);
    }
    std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return UserEntryLess(a.first, b.first); });
    rows_.reserve(keyed.size());
    for (const auto& entry : keyed) rows_.push_back(entry.second);
  }
  endResetModel();
}

// Rows are sorted, so each of the three forms a member can take is found by
// a binary search.
int TUserListModel::Find(const char* nick) const {
  if (!nick || !*nick) return -1;
  for (const char prefix : {'\0', '+', '@'}) {
    const auto at = std::lower_bound(rows_.begin(), rows_.end(), prefix, [nick](const Row& row, char key) {
      return MemberEntryLess(row.prefix, row.user->Nick(), key, nick);
    });
    if (at != rows_.end() && at->prefix == prefix && ZoSameName(at->user->Nick(), nick))
      return static_cast<int>(at - rows_.begin());
  }
  return -1;
}

int TUserListModel::RowOf(const CZoUser* user, bool renamed) const {
  if (!renamed) {
    const int row = Find(user->Nick());
    if (row >= 0 && rows_[static_cast<size_t>(row)].user == user) return row;
  }
  const auto at = std::find_if(rows_.begin(), rows_.end(), [user](const Row& row) { return row.user == user; });
  return at == rows_.end() ? -1 : static_cast<int>(at - rows_.begin());
}

int TUserListModel::PlaceOf(const Row& row, int skip) const {
  const auto before = rows_.begin() + skip;
  if (skip > 0 && Less(row, *(before - 1))) return static_cast<int>(std::upper_bound(rows_.begin(), before, row, Less) - rows_.begin());
  if (skip + 1 < rowCount() && Less(*(before + 1), row))
    return static_cast<int>(std::upper_bound(before + 1, rows_.end(), row, Less) - rows_.begin());
  return skip;
}

void TUserListModel::Replace(int row, Row updated) {
  const int to = PlaceOf(updated, row);
  if (to == row) {
    rows_[static_cast<size_t>(row)] = updated;
    emit dataChanged(index(row), index(row));
    return;
  }
  beginMoveRows(QModelIndex(), row, row, QModelIndex(), to);
  rows_.erase(rows_.begin() + row);
  rows_.insert(rows_.begin() + (to > row ? to - 1 : to), updated);
  endMoveRows();
}

void TUserListModel::MemberJoined(const CZoChannel&, const __stZoUserList& member) {
  const Row added{member.user, PrefixOf(member)};
  if (RowOf(member.user, false) >= 0) return;
  const int row = static_cast<int>(std::upper_bound(rows_.begin(), rows_.end(), added, Less) - rows_.begin());
  beginInsertRows(QModelIndex(), row, row);
  rows_.insert(rows_.begin() + row, added);
  endInsertRows();
}

void TUserListModel::MemberLeaving(const CZoChannel&, const __stZoUserList& member, bool) {
  const int row = RowOf(member.user, false);
  if (row < 0) return;
  beginRemoveRows(QModelIndex(), row, row);
  rows_.erase(rows_.begin() + row);
  endRemoveRows();
}

void TUserListModel::MemberChanged(const CZoChannel&, const __stZoUserList& member, const char* oldNick) {
  const int row = RowOf(member.user, oldNick != nullptr);
  if (row >= 0) Replace(row, {member.user, PrefixOf(member)});
}

void TUserListModel::MembersClearing(const CZoChannel&) { Reload(nullptr); }

const char* TUserListModel::NickAt(int row) const { return rows_[static_cast<size_t>(row)].user->Nick(); }

std::vector<std::string> TUserListModel::Entries() const {
  std::vector<std::string> entries;
  entries.reserve(rows_.size());
  for (const Row& row : rows_) entries.push_back((row.prefix ? std::string(1, row.prefix) : std::string()) + row.user->Nick());
  return entries;
}

std::vector<std::string> TUserListModel::Nicks() const {
  std::vector<std::string> nicks;
  nicks.reserve(rows_.size());
  for (const Row& row : rows_) nicks.emplace_back(row.user->Nick());
  return nicks;
}
