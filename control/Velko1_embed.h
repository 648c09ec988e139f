// What a Linux host needs of the control beyond scripting: its widget, to
// place inside the host's own window, and a look at the client's windows and
// dialogs so that a scripted host can report what the user would see. Not a
// dispatch interface: a host reaches it with QueryInterface.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "com.h"

class QWidget;

inline constexpr IID IID_IVelkoEmbed{0x3C5E0B7A, 0x41D2, 0x4F86, {0x9B, 0x17, 0x6E, 0x2A, 0xD4, 0x58, 0x0C, 0x93}};

struct VelkoWindowRow {
  int kind;
  QString caption;
};

class IVelkoEmbed : public IUnknown {
 public:
  static constexpr const IID& kIID = IID_IVelkoEmbed;
  // The control's widget, owned by the control; the host may make it a child
  // of its window and must release the control before destroying that window.
  virtual QWidget* Widget() = 0;
  // Every sub-window in the manager's order, front first.
  virtual HRESULT Windows(std::vector<VelkoWindowRow>* rows) = 0;
  // The last `count` lines of the output pane of the window with that caption
  // (or whose caption starts with it as a word); E_INVALIDARG when none has one.
  virtual HRESULT PaneLines(const QString& caption, int count, QStringList* lines) = 0;
  // The member list of a channel window as shown; E_INVALIDARG when none.
  virtual HRESULT Members(const QString& channel, QStringList* members) = 0;
  // The open modal dialog's caption and text; S_FALSE when none is open.
  virtual HRESULT Dialog(QString* caption, QString* text) = 0;
  // Presses the open dialog's button of that label, or else types the text
  // into its edit and confirms; S_FALSE when none is open.
  virtual HRESULT Answer(const QString& answer) = 0;
  // Shows the control's own input line (with history, nick completion and
  // the window keys), for a host whose page has none.
  virtual void ShowInputLine(bool show) = 0;
};
