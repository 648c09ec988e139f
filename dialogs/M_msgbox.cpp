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
  SetAnchors(lText, Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge);
  SetTextColor(lText, DialogTextColor());
  SetTextColor(sbOk, DialogTextColor());
  connect(sbOk, &QToolButton::clicked, this, &TKMessageBox::sbOkClick);
}

void TKMessageBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
    sbOkClick();
  else
    TModalForm::keyPressEvent(event);
}

void TKMessageBox::sbOkClick() { SetModalResult(mrOk); }

TKConfirmBox::TKConfirmBox(QWidget* owner)
    : TKMessageBox(owner), sbCancel(MakeFlatButton(pClient, QRect(202, 40, 65, 18), QString::fromUtf8("취소"))) {
  sbOk->move(131, 40);
  SetTextColor(sbCancel, DialogTextColor());
  connect(sbCancel, &QToolButton::clicked, this, [this] { SetModalResult(mrCancel); });
}

namespace {

template <class T>
int ShowBox(const char* text) {
  TModalHolder<T> box;
  box->lText->setText(DecodeDisplay(text));
  return box->ShowModal();
}

}  // namespace

void ShowMessageBox(const char* text) { ShowBox<TKMessageBox>(text); }

bool ShowConfirmBox(const char* text) { return ShowBox<TKConfirmBox>(text) == mrOk; }
