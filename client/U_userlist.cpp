#include "U_userlist.h"

#include <algorithm>

#include "C_channel.h"
#include "U_codepage.h"
#include "U_direction.h"
#include "U_clientrules.h"
#include "U_commondata.h"

namespace {

bool HasPrefix(const std::string& entry) { return !entry.empty() && (entry[0] == '@' || entry[0] == '+'); }

const char* NickOf(const std::string& entry) { return entry.c_str() + (HasPrefix(entry) ? 1 : 0); }

}  // namespace

int TUserListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : static_cast<int>(entries_.size());
}

QVariant TUserListModel::data(const QModelIndex& index, int role) const {
  if (role != Qt::DisplayRole || !index.isValid() || index.row() >= rowCount()) return {};
  return WithoutDirectionControls(DecodeDisplay(entries_[static_cast<size_t>(index.row())].c_str()));
}

void TUserListModel::Reload(const CZoChannel* channel) {
  beginResetModel();
  entries_.clear();
  if (channel) {
    entries_.reserve(channel->Members().size());
    for (const __stZoUserList& member : channel->Members()) entries_.push_back(ZoMemberEntry(member));
    std::stable_sort(entries_.begin(), entries_.end(), UserEntryLess);
  }
  endResetModel();
}

// Entries are sorted, so each of the three forms a member can take is found
// by a binary search.
int TUserListModel::Find(const char* nick) const {
  if (!nick || !*nick) return -1;
  for (const char* prefix : {"", "+", "@"}) {
    const std::string key = prefix + std::string(nick);
    const auto at = std::lower_bound(entries_.begin(), entries_.end(), key, UserEntryLess);
    if (at != entries_.end() && ZoSameName(NickOf(*at), nick) && HasPrefix(*at) == (*prefix != 0))
      return static_cast<int>(at - entries_.begin());
  }
  return -1;
}

void TUserListModel::Add(const std::string& entry) {
  if (entry.empty() || Find(NickOf(entry)) >= 0) return;
  const auto at = std::upper_bound(entries_.begin(), entries_.end(), entry, UserEntryLess);
  const int row = static_cast<int>(at - entries_.begin());
  beginInsertRows(QModelIndex(), row, row);
  entries_.insert(at, entry);
  endInsertRows();
}

bool TUserListModel::Remove(const char* nick) {
  const int row = Find(nick);
  if (row < 0) return false;
  beginRemoveRows(QModelIndex(), row, row);
  entries_.erase(entries_.begin() + row);
  endRemoveRows();
  return true;
}

bool TUserListModel::Rename(const char* oldNick, const char* newNick) {
  const int row = Find(oldNick);
  if (row < 0 || !newNick || !*newNick) return false;
  const std::string& old = entries_[static_cast<size_t>(row)];
  Replace(row, std::string(old.c_str(), HasPrefix(old) ? 1 : 0) + newNick);
  return true;
}

bool TUserListModel::SetEntry(const char* nick, const std::string& entry) {
  const int row = Find(nick);
  if (row < 0 || entry.empty()) return false;
  Replace(row, entry);
  return true;
}

void TUserListModel::Replace(int row, std::string entry) {
  const int to = static_cast<int>(std::upper_bound(entries_.begin(), entries_.end(), entry, UserEntryLess) -
                                  entries_.begin());
  if (to == row || to == row + 1) {
    entries_[static_cast<size_t>(row)] = std::move(entry);
    emit dataChanged(index(row), index(row));
    return;
  }
  beginMoveRows(QModelIndex(), row, row, QModelIndex(), to);
  entries_.erase(entries_.begin() + row);
  entries_.insert(entries_.begin() + (to > row ? to - 1 : to), std::move(entry));
  endMoveRows();
}

std::vector<std::string> TUserListModel::Nicks() const {
  std::vector<std::string> nicks;
  nicks.reserve(entries_.size());
  for (const std::string& entry : entries_) nicks.emplace_back(NickOf(entry));
  return nicks;
}
