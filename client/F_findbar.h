// The find bar over an output pane: what is typed is marked throughout the
// pane; Enter and F3 step to the next older match, Shift+F3 back toward the
// newest; Esc closes the bar and gives the focus back to where it was.
#pragma once

#include <QColor>
#include <QLineEdit>
#include <QPointer>
#include <optional>
#include <vector>

#include "U_panelines.h"

class QLabel;
class TPaneView;

class TFindBar : public QLineEdit {
  Q_OBJECT

 public:
  // A child of the pane, across the top of its text.
  explicit TFindBar(TPaneView* pane);

  void Open();
  void Close();
  // To the next older match, or back toward the newest; both wrap around.
  void Step(bool older);
  // The pane's lines changed: marks follow, the view stays where it is.
  void Refresh();
  int MatchCount() const { return static_cast<int>(matches_.size()); }
  // The match in view: its place counted from the pane's start, -1 for none.
  int Current() const { return current_; }
  std::optional<TPaneMatch> CurrentMatch() const;
  void Place();
  // The colour of the line around the bar: the window frame's.
  void SetBorder(const QColor& colour);

 protected:
  bool event(QEvent* event) override;
  void paintEvent(QPaintEvent* event) override;

 private:
  void Search();
  void FindAll();
  void FindNew();
  void Mark();
  void Reveal();

  TPaneView* pane_;
  QLabel* lCount;
  std::vector<TPaneMatch> matches_;
  int64_t searchedEnd_ = 0;  // the line after the last one searched
  int current_ = -1;
  QPointer<QWidget> returnTo_;
  QColor border_{Qt::black};
};
