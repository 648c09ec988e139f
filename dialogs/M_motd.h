// The message-of-the-day viewer: a non-modal window the main window fills
// with the server's message of the day; one at a time.
#pragma once

#include "F_flatform.h"
#include "U_codedtext.h"

class QTextEdit;
class QToolButton;

class TmMOTD : public TFlatForm {
  Q_OBJECT

 public:
  explicit TmMOTD(QWidget* owner);
  ~TmMOTD() override;

  // Shown with the other lines of the same event-loop pass: a long message
  // of the day costs one layout per pass, not one per line.
  void AddLine(const char* text);
  // Shows the waiting lines now.
  void ShowPendingLines();

  QTextEdit* rView;
  QToolButton* sbOk;

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  TPendingLines pending_;
  bool showScheduled_ = false;
};

// The open message-of-the-day window; null when none is open.
TmMOTD* CurrentMOTD();
// The open window, or a new one, shown centred on its owner. Closing the
// window frees it.
TmMOTD* OpenMOTD(QWidget* owner);
