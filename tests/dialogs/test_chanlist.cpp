#include <QHeaderView>
#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

#include "U_chanlistgrid.h"
#include "U_codepage.h"

namespace {

using Names = std::vector<std::string>;

struct TRow {
  const char* name;
  int users;
  const char* topic;
};

// A person's double click: the first press selects, the second is the double click.
void DoubleClick(QWidget* widget, QPoint at) {
  QTest::mouseClick(widget, Qt::LeftButton, {}, at);
  QTest::mouseDClick(widget, Qt::LeftButton, {}, at);
}

struct ChanListTest : testing::Test {
  void List(std::initializer_list<TRow> rows) {
    grid.ListReply(321, nullptr, 0, nullptr);
    for (const TRow& row : rows) grid.ListReply(322, row.name, row.users, row.topic);
    grid.ListReply(323, nullptr, 0, nullptr);
  }
  Names Shown() {
    Names names;
    for (int row = 0; row < grid.Model().EntryCount(); ++row) names.push_back(grid.Model().Entry(row)->name);
    return names;
  }
  void Show() {
    grid.resize(500, 200);
    grid.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
  }
  void ClickHeader(int column) {
    QHeaderView* header = grid.horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {}, QPoint(header->sectionViewportPosition(column) + 5, 8));
  }

  TChanListGrid grid;
  Names joined;
};

// The old rows stay until the listing ends, then the new ones replace them
// in one step (a long listing must not re-layout the view row by row).
TEST_F(ChanListTest, ListingEndReplacesTheRowsMostUsersFirst) {
  EXPECT_EQ(grid.Model().rowCount(), 1) << "the grid always has a data row";
  List({{"#old", 3, ""}});
  QSignalSpy resets(&grid.Model(), &QAbstractItemModel::modelReset);
  QSignalSpy inserts(&grid.Model(), &QAbstractItemModel::rowsInserted);
  grid.ListReply(321, nullptr, 0, nullptr);
  for (TRow row : {TRow{"#five", 5, ""}, {"#fifty", 50, ""}, {"#empty", 0, ""}, {"#twelve", 12, ""}})
    grid.ListReply(322, row.name, row.users, row.topic);
  EXPECT_FALSE(grid.CloseEnabled()) << "closable in the middle of a listing";
  EXPECT_EQ(Shown(), (Names{"#old"}));
  EXPECT_EQ(resets.size() + inserts.size(), 0);
  grid.ListReply(323, nullptr, 0, nullptr);
  EXPECT_EQ(resets.size() + inserts.size(), 1);
  EXPECT_TRUE(grid.CloseEnabled());
  EXPECT_EQ(Shown(), (Names{"#fifty", "#twelve", "#five"}));
  EXPECT_TRUE(grid.selectionModel()->isRowSelected(0, {}));

  List({{"#nobody", 0, ""}});
  EXPECT_EQ(grid.Model().rowCount(), 1);
  EXPECT_EQ(grid.Model().Entry(0), nullptr);

  std::string name = "#";
  for (int i = 0; i < 150; ++i) name += Cp949Literal("가");
  const std::string topic(600, 't');
  List({{name.c_str(), 1, topic.c_str()}});
  EXPECT_EQ(grid.Model().Entry(0)->name, name.substr(0, 201)) << "not cut at a character boundary";
  EXPECT_EQ(grid.Model().Entry(0)->topic, topic.substr(0, 513));
}

// A first click on a header sorts ascending, a second one on it reverses;
// names and topics compare byte-wise with ASCII case folded.
TEST_F(ChanListTest, HeaderClicksSort) {
  Show();
  const std::string korean = Cp949Literal("#한글");
  List({{"#beta", 12, "b topic"}, {korean.c_str(), 5, "A topic"}, {"#Alpha", 50, "\x02" "c topic"}});
  const std::vector<std::pair<int, Names>> clicks = {
      {1, {korean, "#beta", "#Alpha"}},  // the listing's order was users descending
      {1, {"#Alpha", "#beta", korean}},
      {0, {"#Alpha", "#beta", korean}},
      {1, {korean, "#beta", "#Alpha"}},  // another key sorts ascending again
      {2, {"#Alpha", korean, "#beta"}},  // the bold code sorts first
      {2, {"#beta", korean, "#Alpha"}},
  };
  for (size_t i = 0; i < clicks.size(); ++i) {
    ClickHeader(clicks[i].first);
    EXPECT_EQ(Shown(), clicks[i].second) << "after click " << i;
    EXPECT_EQ(grid.currentIndex().row(), 0) << "after click " << i;
  }
}

TEST_F(ChanListTest, DoubleClickAndEnterJoin) {
  Show();
  grid.SetJoin([this](const char* channel) { joined.push_back(channel); });
  List({{"#a", 3, ""}, {"#b", 2, ""}, {"#c", 1, ""}});
  DoubleClick(grid.viewport(), grid.visualRect(grid.Model().index(1, 2)).center());
  QTest::keyClick(&grid, Qt::Key_Down);
  QTest::keyClick(&grid, Qt::Key_Return);
  QTest::keyClick(&grid, Qt::Key_Enter);
  DoubleClick(grid.horizontalHeader()->viewport(), QPoint(5, 8));
  EXPECT_EQ(joined, (Names{"#b", "#c", "#c"}));

  List({});
  QTest::keyClick(&grid, Qt::Key_Return);
  DoubleClick(grid.viewport(), QPoint(20, 8));
  EXPECT_EQ(joined.size(), 3u) << "the empty row joined something";
}

}  // namespace
