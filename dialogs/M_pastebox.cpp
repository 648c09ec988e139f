#include "M_pastebox.h"

#include <QKeyEvent>
#include <QLabel>
#include <QToolButton>

#include "U_dlgcontrols.h"

TKPasteBox::TKPasteBox(QWidget* owner, int lines, const QString& firstLine)
    : TModalForm(owner, QSize(398, 86)),
      lText(MakePromptLabel(pClient, QRect(3, 11, 392, 14))),
      lFirstLine(MakeLabel(pClient, QRect(8, 32, 382, 16), QString())),
      sbYes(MakeFlatButton(pClient, QRect(95, 60, 65, 18), QString::fromUtf8("예"))),
      sbNo(MakeFlatButton(pClient, QRect(166, 60, 65, 18), QString::fromUtf8("아니오"))),
      sbOneLine(MakeFlatButton(pClient, QRect(237, 60, 65, 18), QString::fromUtf8("한 줄로"))) {
  setWindowTitle("VELKO");
  lText->setText(QString::fromUtf8("%1줄을 보낼까요?").arg(lines));
  lFirstLine->setAlignment(Qt::AlignCenter);
  QString shown = firstLine;
  shown.removeIf([](QChar c) { return c.unicode() < 0x20; });  // formatting codes
  lFirstLine->setText(lFirstLine->fontMetrics().elidedText(shown, Qt::ElideRight, lFirstLine->width()));
  SetTextColor({lText, lFirstLine, sbYes, sbNo, sbOneLine}, DialogTextColor());
  connect(sbYes, &QToolButton::clicked, this, [this] { SetModalResult(mrOk); });
  connect(sbNo, &QToolButton::clicked, this, [this] { SetModalResult(mrCancel); });
  connect(sbOneLine, &QToolButton::clicked, this, [this] { SetModalResult(mrOneLine); });
}

void TKPasteBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
    SetModalResult(mrOk);
  else if (event->key() == Qt::Key_Escape)
    SetModalResult(mrCancel);
  else
    TModalForm::keyPressEvent(event);
}

TPasteAnswer AskPaste(int lines, const QString& firstLine) {
  TModalHolder<TKPasteBox> box(lines, firstLine);
  switch (box->ShowModal()) {
    case mrOk: return TPasteAnswer::EachLine;
    case TKPasteBox::mrOneLine: return TPasteAnswer::OneLine;
    default: return TPasteAnswer::Nothing;
  }
}
