// The question a paste of several lines asks first: send them one by one,
// not at all, or joined into one line.
#pragma once

#include <QString>

#include "U_modalman.h"

class QLabel;
class QToolButton;

enum class TPasteAnswer { EachLine, Nothing, OneLine };

class TKPasteBox : public TModalForm {
  Q_OBJECT

 public:
  static constexpr int mrOneLine = mrCancel + 1;

  TKPasteBox(QWidget* owner, int lines, const QString& firstLine);

  QLabel* lText;
  QLabel* lFirstLine;
  QToolButton* sbYes;
  QToolButton* sbNo;
  QToolButton* sbOneLine;

 protected:
  // Enter answers yes, Esc no.
  void keyPressEvent(QKeyEvent* event) override;
};

// Asks about `lines` lines, showing the first; closing the box answers no.
TPasteAnswer AskPaste(int lines, const QString& firstLine);
