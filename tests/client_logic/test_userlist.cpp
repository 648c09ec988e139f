#include <gtest/gtest.h>

#include <QPersistentModelIndex>
#include <QSignalSpy>
#include <functional>
#include <string>
#include <vector>

#include "U_codepage.h"
#include "U_data.h"
#include "U_clientrules.h"
#include "U_userlist.h"

namespace {

using Entries = std::vector<std::string>;

struct Listed {
  CZoData session;
  TUserListModel model;

  explicit Listed(const char* names) {
    session.AddChannel("#c");
    session.AddNames("#c", names);
    session.AddNames("#c", nullptr);
    model.Reload(session.FindChannel("#c"));
  }
  std::string Shown(int row) const { return EncodeText(model.index(row).data().toString()); }
};

// Each step changes the list as an event would; the list stays in its
// whole-entry order, prefixes included, whatever moves.
TEST(UserListModel, KeepsOrderAndPrefixesThroughChanges) {
  Listed list("@Zed bob +amy me");
  EXPECT_EQ(list.model.Entries(), (Entries{"+amy", "@Zed", "bob", "me"}));
  struct Step {
    std::function<bool(TUserListModel&)> change;
    bool found;
    Entries after;
  };
  const std::vector<Step> steps = {
      {[](auto& m) { return m.Rename("BOB", "Aaron"), true; }, true, {"+amy", "@Zed", "Aaron", "me"}},
      {[](auto& m) { return m.Add("Carl"), true; }, true, {"+amy", "@Zed", "Aaron", "Carl", "me"}},
      {[](auto& m) { return m.Add("carl"), true; }, true, {"+amy", "@Zed", "Aaron", "Carl", "me"}},
      {[](auto& m) { return m.SetEntry("carl", "+Carl"); }, true, {"+amy", "+Carl", "@Zed", "Aaron", "me"}},
      {[](auto& m) { return m.SetEntry("Zed", "Zed"); }, true, {"+amy", "+Carl", "Aaron", "me", "Zed"}},
      {[](auto& m) { return m.Rename("amy", "zz"); }, true, {"+Carl", "+zz", "Aaron", "me", "Zed"}},
      {[](auto& m) { return m.Remove("+Carl"); }, false, {"+Carl", "+zz", "Aaron", "me", "Zed"}},
      {[](auto& m) { return m.Remove("CARL"); }, true, {"+zz", "Aaron", "me", "Zed"}},
      {[](auto& m) { return m.Rename("nobody", "x"); }, false, {"+zz", "Aaron", "me", "Zed"}},
      {[](auto& m) { return m.SetEntry("me", ""); }, false, {"+zz", "Aaron", "me", "Zed"}},
  };
  for (size_t i = 0; i < steps.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(steps[i].change(list.model), steps[i].found);
    EXPECT_EQ(list.model.Entries(), steps[i].after);
    ASSERT_EQ(list.model.rowCount(), static_cast<int>(steps[i].after.size()));
    for (int row = 0; row < list.model.rowCount(); ++row) EXPECT_EQ(list.Shown(row), steps[i].after[row]);
  }
  EXPECT_EQ(list.model.Nicks(), (Entries{"zz", "Aaron", "me", "Zed"}));
}

// A view's selection is a persistent index: it must stay on its member when
// the member moves, and vanish when the member goes.
TEST(UserListModel, PersistentIndexFollowsItsMember) {
  Listed list("@Zed bob +amy Cy me");
  QPersistentModelIndex bob = list.model.index(list.model.Find("bob"));
  QPersistentModelIndex cy = list.model.index(list.model.Find("cy"));
  list.model.SetEntry("bob", "@bob");  // moves up past +amy and @Zed
  list.model.Rename("Cy", "Aa");       // moves up past bob's old place
  list.model.Remove("amy");
  EXPECT_EQ(EncodeText(bob.data().toString()), "@bob");
  EXPECT_EQ(EncodeText(cy.data().toString()), "Aa");
  list.model.Remove("Aa");
  EXPECT_FALSE(cy.isValid());
  EXPECT_EQ(EncodeText(bob.data().toString()), "@bob");
}

// A names listing reaches the model as one reset however long it is; Find
// answers for every form a member can take.
TEST(UserListModel, ReloadTakesAWholeListingAtOnce) {
  std::string names;
  for (int i = 0; i < 3000; ++i) names += (i % 3 == 0 ? "@n" : i % 3 == 1 ? "+N" : "n") + std::to_string(i) + " ";
  Listed list("x");
  list.session.AddNames("#c", names.c_str());
  list.session.AddNames("#c", "a");
  QSignalSpy resets(&list.model, &QAbstractItemModel::modelReset);
  QSignalSpy inserts(&list.model, &QAbstractItemModel::rowsInserted);
  list.model.Reload(list.session.FindChannel("#c"));
  EXPECT_EQ(resets.count(), 1);
  EXPECT_EQ(inserts.count(), 0);
  ASSERT_EQ(list.model.rowCount(), 3001);
  const Entries& entries = list.model.Entries();
  EXPECT_TRUE(std::is_sorted(entries.begin(), entries.end(), UserEntryLess));
  EXPECT_EQ(entries.front().front(), '+');
  EXPECT_EQ(entries.back(), "n998");
  for (const char* nick : {"n0", "N1", "n2", "n2999", "A"}) EXPECT_GE(list.model.Find(nick), 0) << nick;
  EXPECT_EQ(list.model.Find("n3000"), -1);
  EXPECT_EQ(list.model.Find("x"), -1);  // the first listing was replaced
  list.model.Reload(nullptr);
  EXPECT_EQ(list.model.rowCount(), 0);
}

}  // namespace
