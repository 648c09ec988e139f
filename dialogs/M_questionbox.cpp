#include "M_questionbox.h"

#include <QKeyEvent>
#include <QLabel>
#include <QToolButton>

#include "U_dlgcontrols.h"

namespace {

constexpr int kButtonWidth = 65;
constexpr int kButtonStep = 71;

}  // namespace

TKQuestionBox::TKQuestionBox(QWidget* owner, QSize design, const QString& question, bool enterSaysYes,
                             const QStringList& more)
    : TModalForm(owner, design),
      lText(MakePromptLabel(pClient, QRect(3, 9, design.width() - 6, 14))),
      enterSaysYes_(enterSaysYes) {
  setWindowTitle("VELKO");
  lText->setText(question);
  const QStringList labels = QStringList{QString::fromUtf8("예"), QString::fromUtf8("아니오")} + more;
  const int left = (design.width() - kButtonStep * static_cast<int>(labels.size()) + kButtonStep - kButtonWidth) / 2;
  for (qsizetype i = 0; i < labels.size(); ++i) {
    QToolButton* button =
        MakeFlatButton(pClient, QRect(left + kButtonStep * static_cast<int>(i), design.height() - 28, kButtonWidth, 18),
                       labels[i]);
    const int result = i == 0 ? mrOk : mrCancel + static_cast<int>(i) - 1;
    connect(button, &QToolButton::clicked, this, [this, result] { SetModalResult(result); });
    SetTextColor(button, DialogTextColor());
    answers_.push_back(button);
  }
  sbYes = answers_[0];
  sbNo = answers_[1];
  SetTextColor(lText, DialogTextColor());
}

void TKQuestionBox::keyPressEvent(QKeyEvent* event) {
  const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
  if (event->key() == Qt::Key_Escape)
    SetModalResult(mrCancel);
  else if (enter && enterSaysYes_)
    SetModalResult(mrOk);
  else if (!enter)
    TModalForm::keyPressEvent(event);
}
