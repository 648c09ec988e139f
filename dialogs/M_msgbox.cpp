#include "M_msgbox.h"

#include <QKeyEvent>
#include <QLabel>
#include <QToolButton>

#include "U_dlgcontrols.h"
#include "U_codepage.h"

TKMessageBox::TKMessageBox(QWidget* owner)
    : TModalForm(owner, QSize(398, 66)),
      lText(MakePromptLabel(pClient, QRect(3, 11, 392, 12))),
      sbOk(MakeFlatButton(pClient, QRect(167, 40, 65, 18), QString::fromUtf8("확인"))) {
  setWindowTitle("VELKO");
  setWindowFlag(Qt::WindowStaysOnTopHint);
  SetAnchors(lText, Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge);
  SetTextColor(lText, DialogTextColor());
  SetTextColor(sbOk, DialogTextColor());
  connect(sbOk, &QToolButton::clicked, this, &TKMessageBox::sbOkClick);
}

void TKMessageBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
    close();
  else
    TModalForm::keyPressEvent(event);
}

void TKMessageBox::sbOkClick() { close(); }

void ShowMessageBox(const char* text) {
  TModalHolder<TKMessageBox> box;
  box->lText->setText(DecodeDisplay(text));
  box->ShowModal();
}
