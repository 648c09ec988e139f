// Keeps an output pane's view at its newest line while the user reads there;
// while they read further back the view keeps its place and the lines that
// arrive below are counted, until they return to the end.
#pragma once

#include <QObject>
#include <functional>

class QTextEdit;

class TPaneFollow : public QObject {
  Q_OBJECT

 public:
  explicit TPaneFollow(QTextEdit* pane);

  // Lines that arrived below the view since the user scrolled up.
  int Waiting() const { return waiting_; }
  // Around appending `lines` lines (and trimming the oldest): the view ends
  // at the newest line, or stays on the lines it showed.
  void BeforeAppend();
  void AfterAppend(int lines);
  void ScrollToEnd();
  std::function<void()> OnWaitingChanged;

 private:
  void ValueChanged(int value);
  void RangeChanged();
  void SetValue(int value);
  void SetWaiting(int waiting);

  QTextEdit* pane_;
  bool following_ = true;
  bool adjusting_ = false;  // the value moves by our hand, not the user's
  bool clamped_ = false;
  int waiting_ = 0;
  // The first line in view before appending, from the end of the pane, and
  // how far into it the view began.
  int anchorFromEnd_ = -1;
  int anchorOffset_ = 0;
};
