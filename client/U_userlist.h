// The member list a channel window shows, as a list model over the engine's
// own member records: rows refer to the engine's users in the list's
// whole-entry order ("+" before "@" before names, letter case aside), and
// the engine's member news move them, so a view paints only the rows it shows.
#pragma once

#include <QAbstractListModel>
#include <string>
#include <vector>

#include "U_membernews.h"

class CZoChannel;
class CZoUser;

class TUserListModel : public QAbstractListModel, public IZoMemberNews {
  Q_OBJECT

 public:
  // True for a member marked away.
  static constexpr int AwayRole = Qt::UserRole;

  using QAbstractListModel::QAbstractListModel;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  // The display entry ("@nick"), a tooltip with what is known of the user,
  // and AwayRole.
  QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;

  // All members of the engine's channel at once; null empties the list.
  void Reload(const CZoChannel* channel);
  // The row of that member, -1 when it is not listed.
  int Find(const char* nick) const;
  const char* NickAt(int row) const;
  // Display entries and bare nicks, in display order.
  std::vector<std::string> Entries() const;
  std::vector<std::string> Nicks() const;

  void MemberJoined(const CZoChannel& channel, const __stZoUserList& member) override;
  void MemberLeaving(const CZoChannel& channel, const __stZoUserList& member, bool quit) override;
  void MemberChanged(const CZoChannel& channel, const __stZoUserList& member, const char* oldNick) override;
  void MembersClearing(const CZoChannel& channel) override;
  void MembersListed(const CZoChannel& channel) override { Reload(&channel); }

 private:
  struct Row {
    const CZoUser* user;  // the engine's; rows go before the engine deletes it
    char prefix;          // '@', '+' or 0
  };
  static bool Less(const Row& a, const Row& b);
  // The row whose user is `user`; `renamed` when its nick changed since it
  // was placed, so it may sit out of order.
  int RowOf(const CZoUser* user, bool renamed) const;
  // Where a row with that key goes among the others; `skip` is left out.
  int PlaceOf(const Row& row, int skip) const;
  // Gives the row its member's current key and moves it where that sorts; a
  // move keeps every persistent index (the selection) on the member.
  void Replace(int row, Row updated);

  std::vector<Row> rows_;
};
