// The client's modal single-line question: a prompt, an edit and an OK button.
#pragma once

#include <string>

#include "U_modalman.h"

class QLabel;
class QLineEdit;
class QToolButton;

class TKInputBox : public TModalForm {
  Q_OBJECT

 public:
  static constexpr int kMaxInputBytes = 100;

  explicit TKInputBox(QWidget* owner);

  QLabel* lText;
  QLineEdit* eInput;
  QToolButton* sbOk;

 private:
  void sbOkClick();
};

// Asks `prompt` under the caption `title` (both CP949); the typed text as
// CP949, or empty when the box was closed without OK.
std::string ShowInputBox(const char* title, const char* prompt);
