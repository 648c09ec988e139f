// A sub-window with a read-only output pane of coloured lines. Lines are
// shown once per pass of the event loop, so a flood costs one layout per pass
// rather than one per line. Selecting text copies it at once; lines that
// arrive while a selection is shown wait and follow in order when it ends.
#pragma once

#include "F_mdiabstract.h"
#include "U_lib.h"

class QTextEdit;

class TmABSRich : public TMDIABS {
  Q_OBJECT

 public:
  TmABSRich(QWidget* panel, CSubforms& manager, const TFrameColorRecord& colors);

  // `text` is CP949 (or UTF-8); `kind` picks the colour. A text holding line
  // ends becomes several lines.
  void AddLine(const char* text, int kind);
  static constexpr int kMaxWaitingLines = TPendingLines::kMaxLines;
  // Shows the waiting lines now, unless a selection holds them back.
  void ShowPendingLines();
  int PendingCount() const { return PendingLines.Count(); }
  TmABSRich* Output() override { return this; }

  QTextEdit* rView = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // Places the content of the client panel; the pane fills it here.
  virtual void LayoutClient();

 private:
  void rViewMouseUp();
  void MarkMention();
  void MarkLinks();

  TPendingLines PendingLines;
  bool showScheduled_ = false;
};
