// The question a paste of several lines asks first: send them one by one,
// not at all, or joined into one line.
#pragma once

#include <QString>

#include "M_questionbox.h"

enum class TPasteAnswer { EachLine, Nothing, OneLine };

class TKPasteBox : public TKQuestionBox {
  Q_OBJECT

 public:
  static constexpr int mrOneLine = mrCancel + 1;

  // Enter answers yes.
  TKPasteBox(QWidget* owner, int lines, const QString& firstLine);

  QLabel* lFirstLine;
  QToolButton* sbOneLine;
};

// Asks about `lines` lines, showing the first; closing the box answers no.
TPasteAnswer AskPaste(int lines, const QString& firstLine);
