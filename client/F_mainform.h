// The chat client's one top-level window: the sub-window area, the nick and
// menu boxes, the window-select and member menus; it owns the IRC engine and
// the session that runs the connection, and routes the engine's events.
#pragma once

#include <QPointer>
#include <QWidget>
#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "C_datas.h"
#include "U_clientrules.h"
#include "U_chatlog.h"
#include "U_complete.h"
#include "U_input.h"
#include "U_keys.h"
#include "U_questions.h"
#include "Zoengine.h"

class CSubforms;
class TMDIABS;
class CZoHTMLSkin;
class MCommandProcedure;
class QAction;
class QKeyEvent;
class QLabel;
class QLineEdit;
class QMenu;
class QTimer;
class QToolButton;
class TPacedSender;
class TSession;
class TShape;
class TmChanList;
struct __IRCData;

class TMainForm : public QWidget {
  Q_OBJECT

 public:
  // Owns a skin loader of its own.
  explicit TMainForm(QWidget* parent = nullptr);
  // Uses the control's skin loader, which outlives the window.
  explicit TMainForm(CZoHTMLSkin& skin, QWidget* parent = nullptr);
  ~TMainForm() override;

  void ApplyNick(const char* nick);
  void SetSkin(const char* url);
  void SetAutoJoinChannels(const char* list);
  void ConnectTo(const char* server);
  void Input(const char* text);
  // A line as the user typed it, in the coding the server reads: UTF-8 on a
  // UTF-8 server, so no character is lost, else CP949. False, and nothing
  // done, while kMaxWaitingInput lines already wait to go out.
  bool Input(const QString& text);
  // A page can call far faster than lines may go out (20 minutes' worth).
  static constexpr int kMaxWaitingInput = 600;
  void SendIRCLine(const char* text);
  void SelectPrev();
  void SelectNext();
  void Tile();
  void Cascade();
  void ShowNickChange();
  void ShowChanChange();
  // The user left the server on purpose: no reconnect until the next ConnectTo.
  void UserQuit();
  // Shows the control's own input line (its host asked, or the setting
  // does); typing while a pane or member list has the focus lands there.
  void ShowInputLine(bool show);
  // How long a peer's offer waits for its answer before it is declined.
  void SetOfferLifetime(int ms) { questions_.SetOfferLifetime(std::chrono::milliseconds(ms)); }

  TZoEngine& Engine() { return IRC; }
  CSubforms& Subforms() { return *subforms_; }
  CDatas& Settings() { return datas_; }
  CZoHTMLSkin& Skin() { return skin_; }
  const std::vector<std::string>& AutoJoin() const;

  QWidget* pMDIClient;
  QLabel* iBack;
  QLineEdit* eInput;
  TShape* shNick;
  QLabel* lbNick;
  TShape* shMenu;
  QToolButton* sbWinSelect;
  QLabel* lbAd;
  QMenu* pmVMDI;
  QMenu* pmUser;
  QAction* miWhois;
  QAction* miQuery;
  QAction* miSendDCC;
  QAction* miDCCChat;
  QAction* miOp;
  QAction* miDeop;
  QAction* miVoice;
  QAction* miDevoice;
  QAction* miKick;
  QTimer* tQUELBO;
  QTimer* tQuestions;  // the next offer's deadline

  bool Listing = false;

 protected:
  bool event(QEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;
  void closeEvent(QCloseEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  TMainForm(std::unique_ptr<CZoHTMLSkin> ownSkin, CZoHTMLSkin* skin, QWidget* parent);
  void CreateControls();
  void CreateUserMenu();
  void LayoutControls();
  void BindSkin();
  void SkinColorsParsed();
  void SkinIconLoaded();
  void SkinBackImageLoaded();
  void BindEngine();
  bool Send(const std::string& line);
  void SendRaw(const std::string& line);

  void sbWinSelectClick();
  void lbAdClick();
  void ShowUnread();
  // Appends a window's line to its chat log when the setting asks for logs.
  void LogLine(TMDIABS* form, const std::string& line);
  void tQUELBOTimer();
  // The selected member of the front channel window, or false when there is none.
  bool UserMenuTarget(std::string* channel, std::string* nick) const;
  // The selected member when it is someone other than the user: the only
  // member the acting items (modes, kick, direct chats) may act on.
  bool OtherMemberTarget(std::string* channel, std::string* nick) const;
  // Offers the acting items only for another member.
  void EnableUserMenu();
  // A member mode ("+o") for the selected member.
  void SendUserMenuLine(const char* mode);
  // Asks for the reason, prefilled with the user's nick; nothing on cancel.
  void miKickClick();
  void miWhoisClick();
  void miQueryClick();

  // The engine's events the window handles, each as IRC<name>.
#define VELKO_HANDLER(name, params, part, window) ZO_WINDOW_##window(void IRC##name params;)
  ZO_ENGINE_EVENTS(VELKO_HANDLER)
#undef VELKO_HANDLER

  // Direct chats and file transfers from the member menu.
  void miSendDCCClick();
  void miDCCChatClick();
  // The window of an accepted chat offer, before the engine connects it.
  void OpenOfferedChat(int seqnum, const char* nick, const char* address, int port);

  // Server replies that lead into dialogs and the channel list. Dialogs are
  // opened from the event loop, never inside the engine's own event, and one
  // question is asked at a time. The session's first message of the day
  // opens its viewer; later ones, as after a reconnect, become status lines.
  void StartMotd();
  void AddMotdLine(const char* rest);
  // Questions for a reply (471 full room, 475 channel key, 433 nick).
  void AskReply(int code, const char* rest);
  // Queues a question and asks the waiting ones one after another.
  TQuestions::TAdded Ask(const TQuestion& question);
  void AskWaiting();
  void AskOne(uint64_t id, const TQuestion& question);
  void AskFileOffer(uint64_t id, const TQuestion& offer);
  void AskChatOffer(uint64_t id, const TQuestion& offer);
  // A peer's offer that cannot wait for its turn; true when it was queued.
  bool QueueOffer(const TQuestion& offer);
  // Declines the offers nobody answered in time.
  void ExpireQuestions();
  void ArmQuestionExpiry();
  // Ends a listing the server will not finish (the connection is gone).
  void AbandonListing();

  // --- the input line ---
  void BindInput();
  void RunLine(const std::string& line);
  void RunAction(TLineAction action);
  // True when the key was consumed.
  bool eInputKeyDown(QKeyEvent* event);
  bool RunInputKey(TInputKey key);
  bool PasteClipboard();
  std::string WireText(const QString& text) const;
  void ShowHistoryEntry(const std::string& entry);
  void CompleteNick();
  // The front channel's members' nicks, as the completion offers them.
  QStringList FrontChannelNicks() const;
  void CancelSending();
  // Keeps the focus in the input line when a pane or member list takes it.
  void KeepInputFocus(QWidget* now);
  THistory History;
  TNickCompleter completer_;
  TChatLog chatLog_;
  TPacedSender* sender_ = nullptr;

  std::unique_ptr<CZoHTMLSkin> ownSkin_;
  CZoHTMLSkin& skin_;
  TZoEngine IRC;
  CDatas datas_;
  std::unique_ptr<MCommandProcedure> alias_;
  std::unique_ptr<CSubforms> subforms_;
  std::unique_ptr<TSession> session_;

  // Replies that lead into dialogs and the channel list.
  QPointer<TmChanList> listWindow_;  // the window the current listing fills
  TQuestions questions_;
  size_t askedModalDepth_ = 0;  // dialogs running when the asked question opened its own
  bool nickDialogOpen_ = false;
  bool motdShown_ = false;     // the session's viewer has been opened
  bool motdToStatus_ = false;  // the message of the day under way goes to the status window
};
