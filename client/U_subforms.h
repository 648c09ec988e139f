// The sub-window manager: every window of the main window's area in one list,
// front (most recently active) first. It creates and finds windows, closes
// them with what each kind owes the server, and arranges them.
#pragma once

#include <QEvent>
#include <QPointer>
#include <QPoint>
#include <QRect>
#include <functional>
#include <string>
#include <vector>

#include "F_mdiabstract.h"

#include "U_framecolors.h"
#include "U_panelook.h"
#include "U_windowkinds.h"

class CDatas;
class QObject;
class QWidget;
class TMDIABS;
class TmABSRich;
class TmChanList;
class TmChannel;
class TmDCCChat;
class TmDCCFile;
class TmQuery;
class TmStatus;
class TZoEngine;
struct TSkinValues;
struct TFront;

// A deferred action on a sub-window, posted to the main window so it runs
// after the handler that asked for it has returned.
class TSubformEvent : public QEvent {
 public:
  static constexpr int kActivate = 2346;
  static constexpr int kClose = 2349;

  TSubformEvent(int type, TMDIABS* form);
  QPointer<TMDIABS> Form;
};

class CSubforms {
 public:
  // Windows are children of `parent`; deferred actions are posted to
  // `messageTarget`, which hands them back through HandleMessage.
  CSubforms(QWidget* parent, QObject* messageTarget, TZoEngine& engine, const TSkinValues& skin,
            const TFrameColorRecord& colors);
  ~CSubforms();
  CSubforms(const CSubforms&) = delete;
  CSubforms& operator=(const CSubforms&) = delete;

  TZoEngine& Engine() const { return engine_; }
  int Count() const { return static_cast<int>(forms_.size()); }
  TMDIABS* Form(int index) const;
  int IndexOf(const TMDIABS* form) const;

  // Names compare without regard to case; `index` receives the list index.
  TMDIABS* FindForm(int kind, const char* name, int* index = nullptr) const;
  TmChannel* FindChannel(const char* name) const;
  TMDIABS* FrontForm() const;
  // The front window when it takes output lines (channel, status, query,
  // direct chat).
  TmABSRich* FrontOutputForm() const;
  // The front window as a typed line's target: a channel, a query or a direct
  // chat with its number; kind None for any other window.
  TFront InputFront() const;
  // Direct chats and transfers by their number in the engine's tables.
  TmDCCChat* FindDCCChat(int chatId) const;
  TmDCCFile* FindDCCSend(int seqnum) const;
  TmDCCFile* FindDCCRecv(int seqnum) const;
  bool IsFront(const TMDIABS* form) const;

  TmChannel* OpenChannel(const char* name);
  // An existing query window is returned as it is, not activated.
  TmQuery* OpenQuery(const char* nick);
  // The status window, created in front when there is none.
  TmStatus* OpenStatus();
  // Always new windows, in front.
  TmDCCChat* NewDCCChat();
  TmDCCFile* NewDCCSend();
  TmDCCFile* NewDCCRecv();
  // The channel list window, created in front when there is none.
  TmChanList* OpenChanList();

  // Panes follow these settings from their next line on; without them, the
  // default look.
  void UseSettings(const CDatas* settings) { settings_ = settings; }
  TPaneLook PaneLook() const;
  // The stamp of a line said at `utcMs` (0: now).
  const QString& Stamp(int64_t utcMs) { return stamps_.Stamp(utcMs); }

  // The windows of one kind, front first.
  template <class T>
  T* Find(const std::function<bool(const T&)>& wanted) const {
    for (TMDIABS* form : forms_)
      if (auto* typed = qobject_cast<T*>(form); typed && wanted(*typed)) return typed;
    return nullptr;
  }
  template <class T>
  T* Find(const char* name) const {
    return Find<T>([name](const T& form) { return form.IsNamed(name); });
  }
  // Each window of the kind; it may close the window it is handed.
  template <class T, class Action>
  void Each(Action action) const {
    const std::vector<TMDIABS*> forms = forms_;
    for (TMDIABS* form : forms)
      if (auto* typed = qobject_cast<T*>(form)) action(*typed);
  }

  void BringToFront(TMDIABS* form);
  // A window behind the front one got a line; OnUnreadChanged hears of it.
  void NoteUnread(TMDIABS* form, TUnread level);
  // The most the windows behind hold: new lines, or a line naming the user.
  TUnread Unread() const;
  std::function<void()> OnUnreadChanged;
  // Each line a window with a log name shows, for the chat logs.
  std::function<void(const std::string& window, const std::string& line)> OnWindowLine;
  void CloseForm(TMDIABS* form);
  void CloseChannel(const char* name);
  void CloseAll();
  void PostActivate(TMDIABS* form);
  void PostClose(TMDIABS* form);
  // True when `event` was one of the posted sub-window actions.
  bool HandleMessage(QEvent* event);

  void SelectPrev();
  void SelectNext();
  // The manager starts tiled: windows are tiled again whenever one opens or
  // closes or the area changes size, so none is ever hidden. One at a time,
  // every window fills the area and the front one shows. Cascading, or the
  // user moving or sizing a window, leaves both; a new window then steps off
  // the front one.
  enum class TArrangement { Tiled, OneAtATime, Free };
  void Cascade();
  void Tile();
  void OneAtATime();
  void UserArranged() { arrangement_ = TArrangement::Free; }
  bool Tiled() const { return arrangement_ == TArrangement::Tiled; }
  TArrangement Arrangement() const { return arrangement_; }
  // The area changed size: tiled again, or each window kept inside it.
  void AreaResized();
  void SetFrameColors(const TFrameColorRecord& colors);
  void ApplySkin();

  // A channel window's member list asks the main window for its popup menu
  // and for opening a query with the selected member.
  std::function<void(TmChannel* form, QPoint globalPos)> OnUserMenu;
  std::function<void(TmChannel* form)> OnUserQuery;
  void PopupUserMenu(TmChannel* form, QPoint globalPos);
  void QueryFromUserList(TmChannel* form);

 private:
  template <class T>
  T* Create();
  TmDCCFile* FindDCCFile(int seqnum, bool receiving) const;
  void Remove(TMDIABS* form);
  // What closing a window of each kind owes the server or a peer.
  void CloseAction(TMDIABS* form);
  std::vector<TMDIABS*> VisibleForms() const;
  void Arrange();
  // Tiles once the running handler is done, so a burst of new windows is
  // arranged once, not once per window.
  void ArrangeSoon();
  void Place(TMDIABS* form, QRect previousFront);
  void Send(const std::string& line);
  void PartAll();

  QWidget* parent_;
  QObject* messageTarget_;
  TZoEngine& engine_;
  const TSkinValues& skin_;
  TFrameColorRecord colors_;
  std::vector<TMDIABS*> forms_;  // owned: deleted by the close operations
  TArrangement arrangement_ = TArrangement::Tiled;
  bool arrangeScheduled_ = false;
  const CDatas* settings_ = nullptr;
  TStampClock stamps_;
};
