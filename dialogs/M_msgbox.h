// The client's modal message: one centred line and an OK button; and the
// same line as a question with OK and cancel.
#pragma once

#include "U_modalman.h"

class QLabel;
class QToolButton;

class TKMessageBox : public TModalForm {
  Q_OBJECT

 public:
  explicit TKMessageBox(QWidget* owner);

  QLabel* lText;
  QToolButton* sbOk;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void sbOkClick();
};

// A message box that can also be answered no.
class TKConfirmBox : public TKMessageBox {
  Q_OBJECT

 public:
  explicit TKConfirmBox(QWidget* owner);

  QToolButton* sbCancel;
};

// Shows `text` (CP949) and returns when the box is closed.
void ShowMessageBox(const char* text);
// Asks `text` (CP949); true only when answered with OK or Enter.
bool ShowConfirmBox(const char* text);
