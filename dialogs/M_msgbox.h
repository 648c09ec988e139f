// The client's modal message: one centred line and an OK button.
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

// Shows `text` (CP949) and returns when the box is closed.
void ShowMessageBox(const char* text);
