// The message-of-the-day viewer: a non-modal window the main window fills
// with the server's message of the day; one at a time.
#pragma once

#include "F_flatform.h"

class QTextEdit;
class QToolButton;

class TmMOTD : public TFlatForm {
  Q_OBJECT

 public:
  explicit TmMOTD(QWidget* owner);
  ~TmMOTD() override;

  QTextEdit* rView;
  QToolButton* sbOk;

 protected:
  void resizeEvent(QResizeEvent* event) override;
};

// The open message-of-the-day window; null when none is open.
TmMOTD* CurrentMOTD();
// The open window, or a new one, shown centred on its owner. Closing the
// window frees it.
TmMOTD* OpenMOTD(QWidget* owner);
