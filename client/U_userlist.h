// The member list a channel window shows, as a list model: the engine's
// channel members as display entries ("@nick", "+nick", "nick") kept in the
// list's whole-entry order, so a view paints only the rows it shows.
#pragma once

#include <QAbstractListModel>
#include <string>
#include <vector>

class CZoChannel;

class TUserListModel : public QAbstractListModel {
  Q_OBJECT

 public:
  using QAbstractListModel::QAbstractListModel;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  // All members of the engine's channel at once; null empties the list.
  void Reload(const CZoChannel* channel);
  // A nick already listed is not added twice.
  void Add(const std::string& entry);
  // Nicks compare without their prefix and without regard to case.
  bool Remove(const char* nick);
  // The entry keeps its prefix and moves to where the new nick sorts.
  bool Rename(const char* oldNick, const char* newNick);
  bool SetEntry(const char* nick, const std::string& entry);
  // The row of that member, -1 when it is not listed.
  int Find(const char* nick) const;

  const std::vector<std::string>& Entries() const { return entries_; }
  // The members' nicks without prefixes, in display order.
  std::vector<std::string> Nicks() const;

 private:
  // Gives the member at `row` its new entry and moves it where that sorts;
  // a move keeps every persistent index (the selection) on the member.
  void Replace(int row, std::string entry);

  std::vector<std::string> entries_;
};
