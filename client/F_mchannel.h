// A channel's window: the output pane, the member list in its case-insensitive
// order with "@" and "+" kept, and a caption that sums the channel up.
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

  // Entries are display entries: a nick, optionally after "@" or "+".
  void AddUser(const char* entry);
  // Nicks are compared without their prefix and without regard to case.
  bool RemoveUser(const char* nick);
  bool RenameUser(const char* oldNick, const char* newNick);
  bool SetUserEntry(const char* nick, const char* entry);
  // The list follows the engine's members of the channel one event-loop pass
  // later, so a names burst rebuilds it once per pass, not once per line.
  void ReloadUsers();
  // Applies a waiting reload now.
  void ShowPendingUsers();
  // Display entries and bare nicks, in display order, waiting reload applied.
  const std::vector<std::string>& Users();
  std::vector<std::string> Nicks();
  // The selected entry's nick without its prefix; empty when none is selected.
  std::string SelectedNick() const;

  void SetModes(const char* letters);
  void SetTopic(const char* topic);
  void UpdateCaption();
  void SetUserListColors(uint32_t background, uint32_t text);

  TFront InputTarget() const override { return {TFrontKind::Channel, ChannelName}; }
  bool IsNamed(const char* name) const override;
  bool Knows(const char* nick) override;
  std::string LogName() const override { return ChannelName; }
  // A member renamed, with the caption brought up to date.
  bool Rename(const char* oldNick, const char* newNick) override;
  // Leaves the channel unless it was left already.
  void EndOnClose(TZoEngine& engine) override;
  void ApplySkin(const TSkinValues& skin) override;

  bool Parted = false;
  std::string ChannelName;
  std::string Modes;
  std::string Topic;

  QFrame* splitter = nullptr;
  QListView* lbUsers = nullptr;

 protected:
  void LayoutClient() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int SelectedRow() const;
  // A row of -1 leaves nothing selected.
  void Select(int row);
  // The splitter dragged to `x` (in the client panel): the list takes the rest.
  void DragSplitter(int x);

  TUserListModel* users_ = nullptr;  // owned by the window
  bool reloadPending_ = false;
  int userListWidth_ = kUserListWidth;  // changed by dragging the splitter
  bool draggingSplitter_ = false;
};
