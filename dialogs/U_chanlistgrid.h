// The channel list grid: the server's channels (name, user count, topic with
// its formatting codes) in a table that sorts by a header click and joins the
// channel of a row on double click or Enter. The channel list window hosts it.
#pragma once

#include <QAbstractTableModel>
#include <QTableView>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// One listed channel. Texts are cut, at a character boundary, to what the
// entry record holds (201 and 513 bytes).
struct TChanEntry {
  static constexpr size_t kNameMax = 201;
  static constexpr size_t kTopicMax = 513;

  TChanEntry(const char* name, int32_t users, const char* topic);

  std::string name;
  std::string topic;
  int32_t users;
};

// The rows the grid shows. A listing collects its channels aside; they
// replace the shown rows, in one step, when the listing ends.
class TChanListModel : public QAbstractTableModel {
  Q_OBJECT

 public:
  enum SortKey : int { kNoSort = 0, kByUsers = 1, kByName = 2, kByTopic = 3 };

  explicit TChanListModel(QObject* parent = nullptr);

  void StartListing();
  // Channels without users are not listed.
  void AddChannel(const char* name, int32_t users, const char* topic);
  // Shows the collected channels, most users first.
  void EndListing();
  // Ascending by `key`; the same key again reverses the order.
  void SortBy(SortKey key);

  SortKey CurrentSortKey() const { return sortKey_; }
  int EntryCount() const { return static_cast<int>(rows_.size()); }
  // Null for the empty row shown when there are no entries.
  const TChanEntry* Entry(int row) const;

  int rowCount(const QModelIndex& parent = QModelIndex()) const override;
  int columnCount(const QModelIndex& parent = QModelIndex()) const override;
  QVariant data(const QModelIndex& index, int role) const override;
  QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

 private:
  std::vector<TChanEntry> rows_;
  std::vector<TChanEntry> arriving_;
  SortKey sortKey_ = kNoSort;
};

using TChanJoin = std::function<void(const char* channel)>;

class TChanListGrid : public QTableView {
  Q_OBJECT

 public:
  static constexpr int kListStart = 321;
  static constexpr int kListEntry = 322;
  // A string grid's fixed-cell colour before the skin sets it.
  static constexpr uint32_t kDefaultFixedColor = 0xD7DFFF;

  explicit TChanListGrid(QWidget* parent = nullptr);

  // One list reply: 321 starts a listing, 322 is a channel, any other code ends it.
  void ListReply(int code, const char* name, int32_t users, const char* topic);
  // False from construction and from a listing's start until its end.
  bool CloseEnabled() const { return closeEnabled_; }
  // The header colour (0x00RRGGBB), from the skin.
  void SetFixedColor(uint32_t rgb);
  void SetJoin(TChanJoin join) { join_ = std::move(join); }
  // A click on the header of `column`.
  void SortByColumn(int column);

  TChanListModel& Model() { return *model_; }

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void SelectFirstRow();
  void JoinRow(int row);

  TChanListModel* model_;
  TChanJoin join_;
  bool closeEnabled_ = false;
};
