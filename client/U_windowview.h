// The main window's answer to the chat client: lines, windows, member lists,
// transfers and questions, carried out on the sub-windows it owns and on
// dialogs. Its Write is the one writer of pane lines.
#pragma once

#include <QPointer>
#include <cstddef>

#include "U_chatview.h"
#include "U_subforms.h"

class QWidget;
class TChatClient;
class TMainForm;
class TmChanList;
class TmChannel;

class TWindowView : public IChatView {
 public:
  // The sub-windows live in `area`; their deferred actions go to `form`.
  TWindowView(TMainForm& form, QWidget* area, TChatClient& client, const TSkinValues& skin);

  CSubforms& Subforms() { return subforms_; }
  const CSubforms& Subforms() const { return subforms_; }

  // To the window or windows the line's target names; dropped when there is none.
  void Write(const TOutLine& line) override;
  int OpenQueries() const override;

  TFront InputFront() const override;
  bool HostActive() const override;
  void Alert() override;
  bool IsOpen(TFrontKind kind, const std::string& name) const override;
  std::vector<std::string> OpenChannels() const override;
  void OpenChannel(const std::string& name) override;
  void CloseChannel(const std::string& name) override;
  void ActivateChannel(const std::string& name) override;
  void ShowQuery(const std::string& nick) override;
  void OpenChat(int chatId, const std::string& nick) override;
  std::string ChatPeer(int chatId) const override;
  void ShowOwnNick(const std::string& nick) override;
  void ShowOwnAway(bool away) override;

  IZoMemberNews* MemberList(const std::string& channel) override;
  void NickChanged(const std::string& oldNick, const std::string& newNick) override;
  void ChannelChanged(const std::string& channel) override;

  void ListReply(int numeric, const char* channel, int users, const char* topic) override;
  void OpenMotd() override;
  void AddMotdLine(const char* text) override;
  bool TopicAnswered(const std::string& channel, const std::string& topic) override;
  void ModesAnswered(const std::string& channel) override;

  void OpenTransfer(const TTransferShown& transfer) override;
  void TransferConnected(int seqnum, bool receiving, const std::string& fileName) override;
  void TransferProgress(int seqnum, bool receiving, uint64_t position) override;
  void TransferEnded(int seqnum, bool receiving, bool success) override;
  void CloseTransfer(int seqnum, bool receiving) override;

  void Tell(const std::string& text) override;
  void AskNick() override;
  std::string AskKey(const std::string& channel) override;
  bool AskChat(const std::string& nick) override;
  bool AskTrust(const std::string& host, const std::string& fingerprint) override;
  FileHandle AskSaveFile(const TQuestion& offer, const std::function<bool()>& stillOpen) override;
  void CancelQuestion() override;

  // The dialogs the user opens, each one at a time (the nick dialog also
  // when a nick is refused). The channel dialog is the front channel's.
  void ShowNickChange();
  void ShowChanChange();
  // What the settings dialog saves takes effect at once where it can.
  void ShowSettings();

 private:
  TmChannel* Channel(const std::string& name) const;
  static void Show(TMDIABS* form, const TOutLine& line);
  void WriteActive(const TOutLine& line);
  // Dialogs already running when the question being asked opened its own.
  void NoteAsking();
  void ShowOwnState();

  TMainForm& form_;
  TChatClient& client_;
  CSubforms subforms_;
  QPointer<TmChanList> listWindow_;  // the window the current listing fills
  size_t askedModalDepth_ = 0;
  std::string ownNick_;
  bool away_ = false;
  bool nickDialogOpen_ = false;
  bool settingsOpen_ = false;
};
