// The client's modal single-line question: a prompt, an edit and an OK button.
#pragma once

#include <optional>
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
  // Whether Esc closes the box unanswered; the plain box is ended by OK only.
  bool EscapeCancels = false;

 protected:
  void keyPressEvent(QKeyEvent* event) override;

 private:
  void sbOkClick();
};

// Asks `prompt` under the caption `title` with `initial` in the edit (all
// CP949); the text as CP949 on OK or Enter, nothing when the box was closed
// without OK (here Esc closes it too).
std::optional<std::string> AskInputBox(const char* title, const char* prompt, const char* initial = "");
// The same, with an empty text for a box closed without OK.
std::string ShowInputBox(const char* title, const char* prompt);
