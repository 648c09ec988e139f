// A sub-window with a read-only output pane of coloured lines. Selecting text
// copies it at once; lines that arrive while a selection is shown wait and
// follow in order when it ends.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "F_mdiabstract.h"

class QTextEdit;

class TmABSRich : public TMDIABS {
  Q_OBJECT

 public:
  TmABSRich(QWidget* panel, CSubforms& manager, const TFrameColorRecord& colors);

  // `text` is CP949 (or UTF-8); `kind` picks the colour. A text holding line
  // ends becomes several lines.
  void AddLine(const char* text, int kind);
  int PendingCount() const { return static_cast<int>(PendingLines.size()); }

  QTextEdit* rView = nullptr;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  // Places the content of the client panel; the pane fills it here.
  virtual void LayoutClient();

 private:
  void ShowLine(const std::string& text, int kind);
  void ShowPendingLines();
  void rViewMouseUp();

  std::vector<std::pair<std::string, int>> PendingLines;
};
