// Reading the client's windows as a user sees them (window order, pane text,
// member lists) and following the modal dialog in front, so that a host can
// report and answer them.
#pragma once

#include <QPointer>
#include <QString>
#include <QStringList>
#include <vector>

#include "Velko1_embed.h"

class CSubforms;
class TMDIABS;
class TModalForm;

std::vector<VelkoWindowRow> WindowRows(const CSubforms& manager);
// The exact caption first, else the first window whose caption's first word
// is `caption`, letter case aside.
TMDIABS* FindByCaption(const CSubforms& manager, const QString& caption);
// False when there is no window or it has no output pane.
bool PaneTail(TMDIABS* form, int count, QStringList* lines);
bool MemberEntries(const CSubforms& manager, const QString& channel, QStringList* members);

// Keeps track of the modal dialogs shown while it lives (through the modal
// manager's hook, which it holds); the most recent one still open is in front.
class TDialogWatch {
 public:
  TDialogWatch();
  ~TDialogWatch();
  TDialogWatch(const TDialogWatch&) = delete;
  TDialogWatch& operator=(const TDialogWatch&) = delete;

  TModalForm* Front();
  // Caption and the texts of its labels, joined by blanks.
  static void Describe(TModalForm& dialog, QString* caption, QString* text);
  // A button of that label is pressed; otherwise the text goes into the
  // first edit and the confirming button is pressed.
  static void Answer(TModalForm& dialog, const QString& answer);

 private:
  std::vector<QPointer<TModalForm>> shown_;
};
