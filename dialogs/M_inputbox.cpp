#include "M_inputbox.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

#include "U_dlgcontrols.h"
#include "U_codepage.h"

TKInputBox::TKInputBox(QWidget* owner)
    : TModalForm(owner, QSize(432, 72)),
      lText(MakePromptLabel(pClient, QRect(3, 14, 426, 12))),
      eInput(MakeFlatEdit(pClient, QRect(19, 38, 339, 18))),
      sbOk(MakeFlatButton(pClient, QRect(365, 38, 49, 18), QString::fromUtf8("확인"))) {
  setWindowTitle("VELKO");
  SetAnchors(lText, Qt::LeftEdge | Qt::TopEdge | Qt::RightEdge);
  LimitCP949(eInput, kMaxInputBytes);
  SetTextColor(lText, DialogTextColor());
  SetTextColor(sbOk, DialogTextColor());
  SetEditColors(eInput, DialogTextColor(), DialogFrameColors()[FrameColorSlot::BodyColor]);
  // Enter in the edit is the OK button; the edit inserts nothing for it.
  connect(eInput, &QLineEdit::returnPressed, this, &TKInputBox::sbOkClick);
  connect(sbOk, &QToolButton::clicked, this, &TKInputBox::sbOkClick);
  eInput->setFocus();
}

void TKInputBox::sbOkClick() { SetModalResult(mrOk); }

void TKInputBox::keyPressEvent(QKeyEvent* event) {
  if (EscapeCancels && event->key() == Qt::Key_Escape)
    SetModalResult(mrCancel);
  else
    TModalForm::keyPressEvent(event);
}

namespace {

std::optional<std::string> RunInputBox(const char* title, const char* prompt, const char* initial, bool escape) {
  TModalHolder<TKInputBox> box;
  box->EscapeCancels = escape;
  box->setWindowTitle(DecodeDisplay(title));
  box->lText->setText(DecodeDisplay(prompt));
  box->eInput->setText(DecodeDisplay(initial));
  box->eInput->selectAll();
  const bool ok = box->ShowModal() == mrOk;
  if (!ok || !box) return std::nullopt;
  return EncodeText(box->eInput->text());
}

}  // namespace

std::optional<std::string> AskInputBox(const char* title, const char* prompt, const char* initial) {
  return RunInputBox(title, prompt, initial, true);
}

std::string ShowInputBox(const char* title, const char* prompt) {
  return RunInputBox(title, prompt, "", false).value_or(std::string());
}
