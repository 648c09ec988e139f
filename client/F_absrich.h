// A sub-window with a read-only output pane of coloured lines. Lines are
// shown together on a later pass of the event loop. Selecting text copies it
// at once; lines that arrive while the user drags a selection wait and follow
// in order when the button is let go. The view follows the newest line unless
// the user has scrolled back; then a band at the foot of the pane counts the
// lines waiting below. Ctrl+F (or the pane's menu) opens a find bar over it.
#pragma once

#include <QElapsedTimer>

#include "F_mdiabstract.h"
#include "U_codedtext.h"
#include "U_keys.h"
#include "U_render.h"

class QLabel;
class TFindBar;
class TPaneView;

class TmABSRich : public TMDIABS {
  Q_OBJECT

 public:
  TmABSRich(QWidget* panel, CSubforms& manager, const TFrameColorRecord& colors);

  // `text` is CP949 (or UTF-8); `kind` picks the colour. A text holding line
  // ends becomes several lines. Stamps, nick colours and how many lines the
  // pane keeps follow the manager's pane look.
  void AddLine(const TOutLine& line);
  // Shows the waiting lines now, unless a selection holds them back.
  void ShowPendingLines();
  int PendingCount() const { return PendingLines.Count(); }
  // Lines shown below the view since the user scrolled back; 0 while it follows.
  int WaitingBelow() const;
  TmABSRich* Output() override { return this; }
  // The find bar across the top of the pane, focused; made when first asked for.
  void OpenFind();
  TFindBar* FindBar() const { return findBar_; }
  // Ctrl+F, F3 and Shift+F3 for the pane; false for other keys.
  bool RunFindKey(TInputKey key);

  TPaneView* rView = nullptr;
  QLabel* lWaiting = nullptr;  // none until lines first wait below

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // Places the content of the client panel; the pane fills it here.
  virtual void LayoutClient();

 private:
  void ShowWaiting();
  void MakeWaitingBand();
  void PlaceWaiting();

  TPendingLines PendingLines;
  TFindBar* findBar_ = nullptr;
  bool showScheduled_ = false;
  QElapsedTimer shown_;  // since the waiting lines were last shown
  qint64 showCost_ = 0;  // how long that took, in milliseconds
};
