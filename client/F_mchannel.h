// A channel's window: the output pane, the member list over the engine's
// members (away ones greyed, a tooltip on each), and a caption that sums the
// engine's channel up.
#pragma once

#include <string>
#include <vector>

#include "F_absrich.h"

class QFrame;
class QListView;
class TUserListModel;

class TmChannel : public TmABSRich {
  Q_OBJECT

 public:
  static constexpr int kUserListWidth = 114;

  TmChannel(QWidget* panel, CSubforms& manager, const TFrameColorRecord& colors);

  // The window now stands for that channel: its list shows the engine's members.
  void SetChannel(const char* name);
  // The list the engine's member news keep current.
  TUserListModel& Members() { return *users_; }
  // Display entries and bare nicks, in display order.
  std::vector<std::string> Users() const;
  std::vector<std::string> Nicks() const;
  // The selected entry's nick without its prefix; empty when none is selected.
  std::string SelectedNick() const;

  // The caption reads the engine's channel: topic, modes, key and limit.
  void UpdateCaption();
  void SetUserListColors(uint32_t background, uint32_t text);

  TFront InputTarget() const override { return {TFrontKind::Channel, ChannelName}; }
  bool IsNamed(const char* name) const override;
  bool Knows(const char* nick) override;
  std::string LogName() const override { return ChannelName; }
  // Leaves the channel unless it was left already.
  void EndOnClose(TZoEngine& engine) override;
  void ApplySkin(const TSkinValues& skin) override;

  bool Parted = false;
  std::string ChannelName;

  QFrame* splitter = nullptr;
  QListView* lbUsers = nullptr;

 protected:
  void LayoutClient() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int SelectedRow() const;
  // A row of -1 leaves nothing selected.
  void Select(int row);
  // The list follows the engine's members: the caption counts them, and the
  // selection stays with its member or goes, never to a neighbour.
  void FollowMembers();
  // The splitter dragged to `x` (in the client panel): the list takes the rest.
  void DragSplitter(int x);

  TUserListModel* users_ = nullptr;  // owned by the window
  std::string selectedBeforeReset_;
  int userListWidth_ = kUserListWidth;  // changed by dragging the splitter
  bool draggingSplitter_ = false;
};
