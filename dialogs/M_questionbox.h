// A question in the dialogs' skin: a bold line asking it, room below for what
// it is about, and a row of answers centred at the foot, 예 and 아니오 first.
// Esc answers no; Enter answers yes only where a reflex may answer.
#pragma once

#include <QString>
#include <QStringList>
#include <vector>

#include "U_modalman.h"

class QLabel;
class QToolButton;

class TKQuestionBox : public TModalForm {
  Q_OBJECT

 public:
  QLabel* lText;
  QToolButton* sbYes;
  QToolButton* sbNo;

 protected:
  // Yes closes the box with mrOk, no with mrCancel, each of `more` with the
  // results after mrCancel in turn.
  TKQuestionBox(QWidget* owner, QSize design, const QString& question, bool enterSaysYes, const QStringList& more = {});
  QToolButton* Answer(size_t index) const { return answers_[index]; }
  void keyPressEvent(QKeyEvent* event) override;

 private:
  std::vector<QToolButton*> answers_;
  bool enterSaysYes_;
};
