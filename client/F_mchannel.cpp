#include "F_mchannel.h"

#include <QEvent>
#include <QFrame>
#include <QMouseEvent>
#include <QListWidget>
#include <QTextEdit>
#include <algorithm>
#include <cstring>

#include "U_clientrules.h"
#include "U_codepage.h"
#include "U_commondata.h"
#include "U_lib.h"
#include "U_subforms.h"
#include "Zoengine.h"

TmChannel::TmChannel(QWidget* panel, CSubforms& manager, const TFrameColorRecord& colors)
    : TmABSRich(panel, manager, colors) {
  splitter = new QFrame(pClient);
  lbUsers = new QListWidget(pClient);
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
  lbUsers->setContextMenuPolicy(Qt::CustomContextMenu);
  lbUsers->viewport()->installEventFilter(this);
  connect(lbUsers, &QListWidget::customContextMenuRequested, this,
          [this](const QPoint& at) { Manager().PopupUserMenu(this, lbUsers->viewport()->mapToGlobal(at)); });
  connect(lbUsers, &QListWidget::itemDoubleClicked, this, [this] { Manager().QueryFromUserList(this); });
  LayoutClient();
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

int TmChannel::FindUser(const char* nick) const {
  for (size_t i = 0; i < users_.size(); ++i)
    if (ZoSameName(StripNickPrefix(users_[i].c_str()), nick)) return static_cast<int>(i);
  return -1;
}

int TmChannel::InsertEntry(const std::string& entry) {
  const auto at = std::upper_bound(users_.begin(), users_.end(), entry, UserEntryLess);
  const int row = static_cast<int>(at - users_.begin());
  users_.insert(at, entry);
  lbUsers->insertItem(row, DecodeDisplay(entry.c_str()));
  return row;
}

// The list view would hand a removed member's selection to its neighbour;
// the member menu must never act on someone the user did not choose.
bool TmChannel::RemoveAt(int index) {
  const bool selected = lbUsers->item(index)->isSelected();
  users_.erase(users_.begin() + index);
  delete lbUsers->takeItem(index);
  if (selected) Select(-1);
  return selected;
}

void TmChannel::Select(int row) {
  if (row >= 0) {
    lbUsers->setCurrentRow(row);
    return;
  }
  lbUsers->clearSelection();
  lbUsers->setCurrentRow(-1);
}

void TmChannel::ReplaceEntry(int index, const std::string& entry) {
  const bool selected = RemoveAt(index);
  const int row = InsertEntry(entry);
  if (selected) Select(row);
}

void TmChannel::AddUser(const char* entry) {
  InsertEntry(entry);
  UpdateCaption();
}

bool TmChannel::RemoveUser(const char* nick) {
  const int index = FindUser(nick);
  if (index < 0) return false;
  RemoveAt(index);
  UpdateCaption();
  return true;
}

// A renamed or re-moded member moves to where its new entry sorts, so the
// list keeps its order however the channel changes.
bool TmChannel::RenameUser(const char* oldNick, const char* newNick) {
  const int index = FindUser(oldNick);
  if (index < 0) return false;
  const char first = users_[index][0];
  const std::string prefix = first == '@' || first == '+' ? std::string(1, first) : std::string();
  ReplaceEntry(index, prefix + newNick);
  return true;
}

bool TmChannel::SetUserEntry(const char* nick, const char* entry) {
  const int index = FindUser(nick);
  if (index < 0) return false;
  ReplaceEntry(index, entry);
  return true;
}

void TmChannel::ReplaceUsers(const char* entries) {
  const std::string selected = SelectedNick();
  users_.clear();
  lbUsers->clear();
  std::vector<std::string> list;
  for (const std::string& entry : OutputLines(entries))
    if (!entry.empty()) list.push_back(entry);
  std::stable_sort(list.begin(), list.end(), UserEntryLess);
  users_ = std::move(list);
  QStringList shown;
  for (const std::string& entry : users_) shown << DecodeDisplay(entry.c_str());
  lbUsers->addItems(shown);
  if (!selected.empty()) Select(FindUser(selected.c_str()));
  UpdateCaption();
}

std::string TmChannel::SelectedNick() const {
  const int row = lbUsers->currentRow();
  if (row < 0 || row >= static_cast<int>(users_.size()) || !lbUsers->currentItem()->isSelected()) return {};
  return StripNickPrefix(users_[row].c_str());
}

void TmChannel::SetModes(const char* letters) {
  Modes = letters ? letters : "";
  UpdateCaption();
}

void TmChannel::SetTopic(const char* topic) {
  std::string stripped = topic ? topic : "";
  StripCodes(stripped.data());
  Topic = stripped.c_str();
}

void TmChannel::UpdateCaption() {
  const CZoChannel* channel = Manager().Engine().FindChan(ChannelName.c_str());
  const char* key = channel ? channel->Key() : nullptr;
  const int limit = channel ? channel->Limit() : 0;
  const std::string caption = ChannelCaption(ChannelName.c_str(), static_cast<int>(users_.size()), Modes.c_str(),
                                             key, limit, Topic.c_str());
  setWindowTitle(DecodeDisplay(caption.c_str()));
  repaint();
}

void TmChannel::SetUserListColors(uint32_t background, uint32_t text) {
  QPalette palette = lbUsers->palette();
  palette.setColor(QPalette::Base, QColor::fromRgb(background & 0xFFFFFF));
  palette.setColor(QPalette::Text, QColor::fromRgb(text & 0xFFFFFF));
  lbUsers->setPalette(palette);
}
