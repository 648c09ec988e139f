#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <functional>
#include <string>
#include <vector>

#include "U_codepage.h"
#include "U_data.h"
#include "U_userlist.h"

namespace {

using Entries = std::vector<std::string>;

// The model hears the session data directly, as the chat client would pass
// it on; the tester checks every row signal against the rows.
struct Listed {
  CZoData session;
  TUserListModel model;
  QAbstractItemModelTester tester{&model, QAbstractItemModelTester::FailureReportingMode::Fatal};

  explicit Listed(const char* names) {
    session.SetMemberNews(&model);
    session.AddChannel("#c");
    session.AddNames("#c", names);
    session.AddNames("#c", nullptr);
  }
  ~Listed() { session.SetMemberNews(nullptr); }
  std::string Shown(int row) const { return EncodeText(model.index(row).data().toString()); }
  int Row(const char* nick) const { return model.Find(nick); }
};

// Each step changes the engine's data as a server line would; the list stays
// in its whole-entry order, prefixes included, whatever moves.
TEST(UserListModel, FollowsTheEngineInWholeEntryOrder) {
  Listed list("@Zed bob +amy me");
  EXPECT_EQ(list.model.Entries(), (Entries{"+amy", "@Zed", "bob", "me"}));
  struct Step {
    std::function<void(CZoData&)> change;
    Entries after;
  };
  const std::vector<Step> steps = {
      {[](CZoData& s) { s.RenameUser("BOB", "Aaron"); }, {"+amy", "@Zed", "Aaron", "me"}},
      {[](CZoData& s) { s.AddMember("#c", "Carl"); }, {"+amy", "@Zed", "Aaron", "Carl", "me"}},
      {[](CZoData& s) { s.AddMember("#c", "carl"); }, {"+amy", "@Zed", "Aaron", "Carl", "me"}},
      {[](CZoData& s) { s.SetMemberMode("#c", "carl", "v", ""); }, {"+amy", "+Carl", "@Zed", "Aaron", "me"}},
      {[](CZoData& s) { s.SetMemberMode("#c", "Zed", "", "o"); }, {"+amy", "+Carl", "Aaron", "me", "Zed"}},
      {[](CZoData& s) { s.RenameUser("amy", "zz"); }, {"+Carl", "+zz", "Aaron", "me", "Zed"}},
      // A nick given to someone new: the stale holder leaves first.
      {[](CZoData& s) { s.RenameUser("Aaron", "ZED"); }, {"+Carl", "+zz", "me", "ZED"}},
      {[](CZoData& s) { s.RemoveMember("#c", "CARL"); }, {"+zz", "me", "ZED"}},
      {[](CZoData& s) { s.RemoveUser("nobody"); }, {"+zz", "me", "ZED"}},
      {[](CZoData& s) { s.RemoveUser("zz"); }, {"me", "ZED"}},
  };
  for (size_t i = 0; i < steps.size(); ++i) {
    SCOPED_TRACE(i);
    steps[i].change(list.session);
    EXPECT_EQ(list.model.Entries(), steps[i].after);
    ASSERT_EQ(list.model.rowCount(), static_cast<int>(steps[i].after.size()));
    for (int row = 0; row < list.model.rowCount(); ++row) EXPECT_EQ(list.Shown(row), steps[i].after[row]);
  }
  EXPECT_EQ(list.model.Nicks(), (Entries{"me", "ZED"}));
}

// A names listing reaches the model as one reset however long it is, joins
// meanwhile included; leaving the channel or the connection empties the list
// before the users go.
TEST(UserListModel, ListingsResetOnceAndLeavingEmpties) {
  std::string names;
  for (int i = 0; i < 3000; ++i) names += "n" + std::to_string(i) + " ";
  Listed list("x");
  QSignalSpy resets(&list.model, &QAbstractItemModel::modelReset);
  QSignalSpy inserts(&list.model, &QAbstractItemModel::rowsInserted);
  list.session.AddNames("#c", names.c_str());
  list.session.AddMember("#c", "late");
  list.session.AddNames("#c", "a");
  list.session.AddNames("#c", nullptr);
  EXPECT_EQ(resets.count(), 2);  // the old listing cleared, the new one shown
  EXPECT_EQ(inserts.count(), 0);
  ASSERT_EQ(list.model.rowCount(), 3002);
  for (const char* nick : {"n0", "N1", "n2999", "A", "late"}) EXPECT_GE(list.Row(nick), 0) << nick;
  EXPECT_EQ(list.Row("x"), -1);  // the first listing was replaced
  list.session.RemoveChannel("#c");
  EXPECT_EQ(list.model.rowCount(), 0);
  list.session.AddChannel("#c");
  list.session.AddMember("#c", "back");
  list.session.ClearSession();
  EXPECT_EQ(list.model.rowCount(), 0);
}

// Away members say so (the view greys them); the tooltip tells what the
// server told of the user, and follows it without a row signal of its own.
TEST(UserListModel, AwayAndTooltipReadTheEngine) {
  Listed list("amy!ay@host.one bob");
  QSignalSpy changed(&list.model, &QAbstractItemModel::dataChanged);
  CZoUser* amy = list.session.FindUser("amy");
  const QModelIndex row = list.model.index(list.Row("amy"));
  EXPECT_FALSE(row.data(TUserListModel::AwayRole).toBool());
  list.session.SetUserAway(amy, "lunch");
  list.session.SetUserAway(amy, "lunch again");  // still away: nothing to repaint
  EXPECT_EQ(changed.count(), 1);
  EXPECT_TRUE(row.data(TUserListModel::AwayRole).toBool());
  amy->SetAccount("amyacct");
  amy->SetRealName(Cp949Literal("에이미"));
  EXPECT_EQ(row.data(Qt::ToolTipRole).toString(),
            QString::fromUtf8("amy!ay@host.one\n계정: amyacct\n이름: 에이미\n자리 비움: lunch again"));
  amy->SetAccount("*");
  list.session.SetUserAway(amy, nullptr);
  EXPECT_EQ(changed.count(), 2);
  EXPECT_FALSE(row.data(TUserListModel::AwayRole).toBool());
  EXPECT_EQ(row.data(Qt::ToolTipRole).toString(), QString::fromUtf8("amy!ay@host.one\n이름: 에이미"));
  EXPECT_EQ(list.model.index(list.Row("bob")).data(Qt::ToolTipRole).toString(), QString());
}

}  // namespace
