#include "U_chanlistgrid.h"

#include <QApplication>
#include <QHeaderView>
#include <QKeyEvent>
#include <QPainter>
#include <QStyledItemDelegate>
#include <algorithm>
#include <cstring>

#include "F_flatform.h"
#include "U_codepage.h"
#include "U_codedtext.h"
#include "U_lib.h"

namespace {

constexpr int kTopicColumn = 2;
constexpr int kRowHeight = 16;
constexpr int kColumnWidths[] = {100, 40, 1100};

std::string CutCopy(const char* text, size_t limit) {
  if (!text) return {};
  const size_t length = strlen(text);
  return std::string(text, Cp949CutLength(text, length, limit));
}

// Byte order with ASCII letters folded; Korean bytes compare by value.
bool FoldedLess(const std::string& a, const std::string& b) {
  const auto fold = [](char c) {
    const auto byte = static_cast<unsigned char>(c);
    return byte >= 'A' && byte <= 'Z' ? byte + ('a' - 'A') : byte;
  };
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                      [&](char x, char y) { return fold(x) < fold(y); });
}

QString StrippedTopic(const std::string& topic) {
  std::string plain = topic;
  StripCodes(plain.data());
  return DecodeDisplay(plain.c_str());
}

// Paints the topic cell with its formatting codes; the other cells as a grid does.
class TTopicDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const auto* model = qobject_cast<const TChanListModel*>(index.model());
    const TChanEntry* entry = model ? model->Entry(index.row()) : nullptr;
    if (index.column() != kTopicColumn || !entry) return QStyledItemDelegate::paint(painter, option, index);
    const QStyle* style = option.widget ? option.widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &option, painter, option.widget);
    painter->save();
    painter->setClipRect(option.rect);
    painter->setFont(option.font);
    const int top = option.rect.top() + std::max(0, (option.rect.height() - painter->fontMetrics().height()) / 2);
    const bool selected = option.state & QStyle::State_Selected;
    DrawCodedText(painter, option.rect.left() + 2, top, !selected, entry->topic.c_str());
    painter->restore();
  }
};

// The header row, flat in the grid's fixed-cell colour.
class TFixedHeader : public QHeaderView {
 public:
  explicit TFixedHeader(QWidget* parent) : QHeaderView(Qt::Horizontal, parent) {}

  void SetColor(uint32_t rgb) {
    color_ = QColor::fromRgb(rgb & 0xFFFFFF);
    viewport()->update();
  }

 protected:
  void paintSection(QPainter* painter, const QRect& rect, int logicalIndex) const override {
    painter->save();
    painter->fillRect(rect, color_);
    painter->setPen(QColor(0x80, 0x80, 0x80));
    painter->drawLine(rect.topRight(), rect.bottomRight());
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());
    painter->setPen(Qt::black);
    const QString text = model()->headerData(logicalIndex, orientation(), Qt::DisplayRole).toString();
    painter->drawText(rect.adjusted(2, 0, -2, 0), Qt::AlignLeft | Qt::AlignVCenter, text);
    painter->restore();
  }

 private:
  QColor color_ = QColor::fromRgb(TChanListGrid::kDefaultFixedColor);
};

}  // namespace

TChanEntry::TChanEntry(const char* name, int32_t users, const char* topic)
    : name(CutCopy(name, kNameMax)), topic(CutCopy(topic, kTopicMax)), users(users) {}

TChanListModel::TChanListModel(QObject* parent) : QAbstractTableModel(parent) {}

void TChanListModel::StartListing() { arriving_.clear(); }

void TChanListModel::AddChannel(const char* name, int32_t users, const char* topic) {
  if (users != 0) arriving_.emplace_back(name, users, topic);
}

void TChanListModel::EndListing() {
  beginResetModel();
  rows_ = std::move(arriving_);
  arriving_.clear();
  std::sort(rows_.begin(), rows_.end(), [](const TChanEntry& a, const TChanEntry& b) { return a.users > b.users; });
  sortKey_ = kByUsers;
  endResetModel();
}

void TChanListModel::SortBy(SortKey key) {
  beginResetModel();
  if (key == sortKey_) {
    std::reverse(rows_.begin(), rows_.end());
  } else if (key == kByUsers) {
    std::sort(rows_.begin(), rows_.end(), [](const TChanEntry& a, const TChanEntry& b) { return a.users < b.users; });
  } else {
    const auto field = key == kByName ? &TChanEntry::name : &TChanEntry::topic;
    std::sort(rows_.begin(), rows_.end(),
              [field](const TChanEntry& a, const TChanEntry& b) { return FoldedLess(a.*field, b.*field); });
  }
  sortKey_ = key;
  endResetModel();
}

const TChanEntry* TChanListModel::Entry(int row) const {
  return row >= 0 && row < EntryCount() ? &rows_[static_cast<size_t>(row)] : nullptr;
}

// Never fewer than one data row, so the grid always has a row to select.
int TChanListModel::rowCount(const QModelIndex& parent) const {
  return parent.isValid() ? 0 : std::max(1, EntryCount());
}

int TChanListModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : 3; }

QVariant TChanListModel::data(const QModelIndex& index, int role) const {
  const TChanEntry* entry = Entry(index.row());
  if (role != Qt::DisplayRole || !entry) return {};
  switch (index.column()) {
    case 0:
      return DecodeDisplay(entry->name.c_str());
    case 1:
      return QString::number(entry->users);
    default:
      return StrippedTopic(entry->topic);
  }
}

QVariant TChanListModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (orientation != Qt::Horizontal || role != Qt::DisplayRole) return {};
  static const char* const kTitles[] = {"대화실명", "인원 ", "대화실 주제"};
  return section >= 0 && section < 3 ? QString::fromUtf8(kTitles[section]) : QVariant();
}

TChanListGrid::TChanListGrid(QWidget* parent) : QTableView(parent), model_(new TChanListModel(this)) {
  setFont(FaceFont("굴림체"));
  auto* header = new TFixedHeader(this);
  setHorizontalHeader(header);
  setModel(model_);
  setItemDelegate(new TTopicDelegate(this));
  setFrameShape(QFrame::NoFrame);
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setWordWrap(false);
  setTextElideMode(Qt::ElideNone);
  verticalHeader()->hide();
  verticalHeader()->setMinimumSectionSize(1);
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(kRowHeight);
  header->setMinimumSectionSize(1);
  header->setFixedHeight(kRowHeight);
  header->setHighlightSections(false);
  header->setSectionsClickable(true);
  header->setStretchLastSection(false);
  for (int column = 0; column < 3; ++column) header->resizeSection(column, kColumnWidths[column]);
  connect(header, &QHeaderView::sectionClicked, this, &TChanListGrid::SortByColumn);
  connect(this, &QAbstractItemView::doubleClicked, this, [this](const QModelIndex& index) { JoinRow(index.row()); });
}

void TChanListGrid::ListReply(int code, const char* name, int32_t users, const char* topic) {
  if (code == kListStart) {
    closeEnabled_ = false;
    model_->StartListing();
  } else if (code == kListEntry) {
    model_->AddChannel(name, users, topic);
  } else {
    model_->EndListing();
    SelectFirstRow();
    closeEnabled_ = true;
  }
}

void TChanListGrid::SetFixedColor(uint32_t rgb) { static_cast<TFixedHeader*>(horizontalHeader())->SetColor(rgb); }

void TChanListGrid::SortByColumn(int column) {
  static constexpr TChanListModel::SortKey kKeys[] = {TChanListModel::kByName, TChanListModel::kByUsers,
                                                      TChanListModel::kByTopic};
  if (column < 0 || column >= 3) return;
  model_->SortBy(kKeys[column]);
  SelectFirstRow();
}

void TChanListGrid::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
    JoinRow(currentIndex().row());
  else
    QTableView::keyPressEvent(event);
}

void TChanListGrid::SelectFirstRow() {
  setCurrentIndex(model_->index(0, 0));
  selectRow(0);
  scrollToTop();
}

void TChanListGrid::JoinRow(int row) {
  const TChanEntry* entry = model_->Entry(row);
  if (entry && join_ && !entry->name.empty()) join_(entry->name.c_str());
}
