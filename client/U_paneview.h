// The view of an output pane. Only the lines in sight are laid out, and
// their layouts go when the view is hidden, so a pane costs about the text
// of its lines. It follows the newest line unless the user scrolled back,
// and then counts the lines that arrive below. Dragging selects and copies
// at once (Shift+click extends it, also over lines never laid out); a click
// on a web address opens it.
#pragma once

#include <QAbstractScrollArea>
#include <functional>
#include <memory>
#include <unordered_map>
#include <vector>

#include "U_panelines.h"

class QMenu;

class TPaneView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit TPaneView(QWidget* parent);
  ~TPaneView() override;

  TPaneLines& Lines() { return lines_; }
  const TPaneLines& Lines() const { return lines_; }
  // After `count` lines were added (and the oldest perhaps dropped).
  void LinesAdded(int count);
  bool Following() const { return following_; }
  // Lines that arrived below the view since the user scrolled back.
  int Waiting() const { return waiting_; }
  void ScrollToEnd();
  // Brings the line to the middle of the view.
  void Reveal(int64_t line);
  // Where the line is in the viewport; empty when it is out of sight.
  QRect LineRect(int64_t line) const;
  // The first line in sight.
  int64_t TopLine() const;

  bool HasSelection() const { return anchor_ != cursor_; }
  // The mouse button is down on the text.
  bool Selecting() const { return selecting_; }
  QString SelectedText() const;
  void SelectAll();
  void Copy() const;
  // Found places, drawn on a light mark; `current` (an index) on a strong one.
  void SetMarks(std::vector<TPaneMatch> marks, int current);
  QMenu* ContextMenu();
  // The colour of the character `offset` after the stamp of a line counted
  // from the oldest (from the newest when negative: -1 is the newest).
  Q_INVOKABLE QColor ColourAt(int index, int offset) const;

  std::function<void()> OnWaitingChanged;
  std::function<void()> OnSelectionEnded;
  std::function<void()> OnFind;

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void showEvent(QShowEvent* event) override;
  void hideEvent(QHideEvent* event) override;
  void changeEvent(QEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;
  void contextMenuEvent(QContextMenuEvent* event) override;
  void keyPressEvent(QKeyEvent* event) override;

 private:
  struct TLaidLine;
  struct TRow {
    int64_t line;
    int top;
    int height;
  };

  const TLaidLine& Laid(int64_t line) const;
  bool AtEnd() const;
  std::vector<TRow> Rows() const;
  int FitAtEnd() const;
  void SyncBar();
  void BarMoved(int value);
  TPanePos PosAt(QPoint point) const;
  QString LinkAt(QPoint point) const;
  void SetWaiting(int waiting);
  void DropLayouts();
  void KeepLaid(const std::vector<TRow>& rows) const;

  TPaneLines lines_;
  mutable std::unordered_map<int64_t, std::unique_ptr<TLaidLine>> laid_;
  int64_t top_ = 0;  // the first line in sight while not following
  bool following_ = true;
  bool syncing_ = false;  // the scroll bar moves by our hand, not the user's
  int waiting_ = 0;
  TPanePos anchor_;
  TPanePos cursor_;
  bool selecting_ = false;
  std::vector<TPaneMatch> marks_;
  int current_ = -1;
};
