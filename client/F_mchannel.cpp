#include "F_mchannel.h"

#include <QEvent>
#include <QFrame>
#include <QMouseEvent>
#include <QListView>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTimer>

#include "U_clientrules.h"
#include "U_codepage.h"
#include "U_commondata.h"
#include "U_skinfile.h"
#include "U_ircline.h"
#include "U_lib.h"
#include "U_paneview.h"
#include "U_subforms.h"
#include "U_userlist.h"
#include "Zoengine.h"

namespace {

// Rows are painted in the list's own (skin) colours, nothing else: no
// editing, no focus frame, no per-row widgets, so huge channels stay cheap.
class TUserEntryDelegate : public QStyledItemDelegate {
 public:
  using QStyledItemDelegate::QStyledItemDelegate;

  void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
    const bool selected = option.state & QStyle::State_Selected;
    const QColor back = option.palette.color(selected ? QPalette::Highlight : QPalette::Base);
    const QColor text = option.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    painter->fillRect(option.rect, back);
    painter->setPen(index.data(TUserListModel::AwayRole).toBool() ? Between(text, back) : text);
    painter->setFont(option.font);
    painter->drawText(option.rect.adjusted(kTextIndent, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter,
                      index.data().toString());
  }

  QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
    return {option.rect.width(), option.fontMetrics.height() + 2};
  }

 private:
  static constexpr int kTextIndent = 3;

  // Away members are written halfway to the background: still readable in any skin.
  static QColor Between(const QColor& a, const QColor& b) {
    return QColor((a.red() + b.red()) / 2, (a.green() + b.green()) / 2, (a.blue() + b.blue()) / 2);
  }
};

}  // namespace

TmChannel::TmChannel(QWidget* panel, CSubforms& manager, const TFrameColorRecord& colors)
    : TmABSRich(panel, manager, colors) {
  splitter = new QFrame(pClient);
  lbUsers = new QListView(pClient);
  users_ = new TUserListModel(this);
  Kind = wkChannel;
  setWindowTitle("mChannel");
  splitter->setAutoFillBackground(true);
  QPalette line = splitter->palette();
  line.setColor(QPalette::Window, Qt::black);
  splitter->setPalette(line);
  splitter->setCursor(Qt::SplitHCursor);
  splitter->installEventFilter(this);
  lbUsers->setFrameStyle(0);
  lbUsers->setUniformItemSizes(true);
  lbUsers->setItemDelegate(new TUserEntryDelegate(lbUsers));
  // Before the view's own, so a removed member's selection goes before the
  // view hands it to a neighbour.
  FollowMembers();
  lbUsers->setModel(users_);
  lbUsers->setEditTriggers(QAbstractItemView::NoEditTriggers);
  lbUsers->setContextMenuPolicy(Qt::CustomContextMenu);
  lbUsers->viewport()->installEventFilter(this);
  connect(lbUsers, &QListView::customContextMenuRequested, this,
          [this](const QPoint& at) { Manager().PopupUserMenu(this, lbUsers->viewport()->mapToGlobal(at)); });
  connect(lbUsers, &QListView::doubleClicked, this, [this] { Manager().QueryFromUserList(this); });
  LayoutClient();
}

void TmChannel::FollowMembers() {
  const auto recount = [this] { UpdateCaption(); };
  connect(users_, &QAbstractItemModel::rowsInserted, this, recount);
  connect(users_, &QAbstractItemModel::rowsRemoved, this, recount);
  connect(users_, &QAbstractItemModel::rowsAboutToBeRemoved, this, [this](const QModelIndex&, int first, int last) {
    const int row = SelectedRow();
    if (row >= first && row <= last) Select(-1);
  });
  connect(users_, &QAbstractItemModel::modelAboutToBeReset, this, [this] { selectedBeforeReset_ = SelectedNick(); });
  connect(users_, &QAbstractItemModel::modelReset, this, [this] {
    if (!selectedBeforeReset_.empty()) Select(users_->Find(selectedBeforeReset_.c_str()));
    selectedBeforeReset_.clear();
    UpdateCaption();
  });
}

void TmChannel::SetChannel(const char* name) {
  ChannelName = name;
  users_->Reload(Manager().Engine().FindChan(name));
}

void TmChannel::LayoutClient() {
  const QRect area = pClient->rect();
  const int paneWidth = std::max(0, area.width() - userListWidth_ - 1);
  rView->setGeometry(0, 0, paneWidth, area.height());
  splitter->setGeometry(paneWidth, 0, 1, area.height());
  lbUsers->setGeometry(paneWidth + 1, 0, userListWidth_, area.height());
}

// Both sides keep a usable width whatever the drag.
void TmChannel::DragSplitter(int x) {
  constexpr int kMinSide = 40;
  const int width = pClient->width();
  userListWidth_ = std::clamp(width - x - 1, kMinSide, std::max(kMinSide, width - kMinSide - 1));
  LayoutClient();
}

bool TmChannel::eventFilter(QObject* watched, QEvent* event) {
  if (watched == splitter) {
    const auto type = event->type();
    if (type == QEvent::MouseButtonPress) draggingSplitter_ = true;
    if (type == QEvent::MouseButtonRelease) draggingSplitter_ = false;
    if (type == QEvent::MouseMove && draggingSplitter_)
      DragSplitter(splitter->mapTo(pClient, static_cast<QMouseEvent*>(event)->position().toPoint()).x());
    return type == QEvent::MouseButtonPress || type == QEvent::MouseMove || type == QEvent::MouseButtonRelease;
  }
  if (lbUsers && watched == lbUsers->viewport() && event->type() == QEvent::MouseButtonPress) FormMouseDown();
  return TmABSRich::eventFilter(watched, event);
}

int TmChannel::SelectedRow() const {
  const QModelIndex current = lbUsers->currentIndex();
  return current.isValid() && lbUsers->selectionModel()->isSelected(current) ? current.row() : -1;
}

void TmChannel::Select(int row) {
  if (row >= 0) {
    lbUsers->setCurrentIndex(users_->index(row));
    return;
  }
  lbUsers->clearSelection();
  lbUsers->setCurrentIndex(QModelIndex());
}

// The view would hand a removed member's selection to its neighbour; the
// member menu must never act on someone the user did not choose.
bool TmChannel::Knows(const char* nick) { return users_->Find(nick) >= 0; }

std::vector<std::string> TmChannel::Users() const { return users_->Entries(); }

std::vector<std::string> TmChannel::Nicks() const { return users_->Nicks(); }

std::string TmChannel::SelectedNick() const {
  const int row = SelectedRow();
  return row < 0 ? std::string() : users_->NickAt(row);
}

void TmChannel::UpdateCaption() {
  const CZoChannel* channel = Manager().Engine().FindChan(ChannelName.c_str());
  const char* key = channel ? channel->Key() : nullptr;
  const int limit = channel ? channel->Limit() : 0;
  std::string topic = channel ? channel->Topic() : "";
  StripCodes(topic.data());
  const std::string caption = ChannelCaption(ChannelName.c_str(), users_->rowCount(), channel ? channel->Modes() : "",
                                             key, limit, topic.c_str());
  setWindowTitle(DecodeDisplay(caption.c_str()));
  update();
}

void TmChannel::SetUserListColors(uint32_t background, uint32_t text) {
  QPalette palette = lbUsers->palette();
  palette.setColor(QPalette::Base, QColor::fromRgb(background & 0xFFFFFF));
  palette.setColor(QPalette::Text, QColor::fromRgb(text & 0xFFFFFF));
  lbUsers->setPalette(palette);
}

void TmChannel::EndOnClose(TZoEngine& engine) {
  if (!Parted) engine.Send(Irc::Part(ChannelName).c_str());
}

void TmChannel::ApplySkin(const TSkinValues& skin) {
  SetUserListColors(skin.ChanWinUserListBg, skin.ChanWinUserListFg);
}

bool TmChannel::IsNamed(const char* name) const { return ZoSameName(ChannelName.c_str(), name); }
