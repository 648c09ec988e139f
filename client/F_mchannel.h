// A channel's window: the output pane, the member list in its case-insensitive
// order with "@" and "+" kept, and a caption that sums the channel up.
#pragma once

#include <string>
#include <vector>

#include "F_absrich.h"

class QFrame;
class QListWidget;

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
  // Replaces the whole list with CR LF separated entries (empty: no members).
  void ReplaceUsers(const char* entries);
  const std::vector<std::string>& Users() const { return users_; }
  // The selected entry's nick without its prefix; empty when none is selected.
  std::string SelectedNick() const;

  void SetModes(const char* letters);
  void SetTopic(const char* topic);
  void UpdateCaption();
  void SetUserListColors(uint32_t background, uint32_t text);

  bool Parted = false;
  std::string ChannelName;
  std::string Modes;
  std::string Topic;

  QFrame* splitter = nullptr;
  QListWidget* lbUsers = nullptr;

 protected:
  void LayoutClient() override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  int FindUser(const char* nick) const;
  int InsertEntry(const std::string& entry);
  // True when the removed entry was the selected one.
  bool RemoveAt(int index);
  // A row of -1 leaves nothing selected.
  void Select(int row);
  void ReplaceEntry(int index, const std::string& entry);
  // The splitter dragged to `x` (in the client panel): the list takes the rest.
  void DragSplitter(int x);

  std::vector<std::string> users_;
  int userListWidth_ = kUserListWidth;  // changed by dragging the splitter
  bool draggingSplitter_ = false;
};
