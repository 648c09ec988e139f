#include "M_nickchange.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <string>

#include "M_msgbox.h"
#include "U_dlgcontrols.h"
#include "U_codepage.h"
#include "U_ircline.h"
#include "Zoengine.h"

TNickRequest EngineNickRequest(TZoEngine& engine, TNickStore storeNick) {
  return [&engine, storeNick = std::move(storeNick)](const std::string& nick) {
    if (engine.state & TZoEngine::Connected) {
      if (storeNick) storeNick(nick.c_str());
      engine.SetNick(nick);
    }
    engine.Send(Irc::Nick(nick).c_str());
  };
}

TmNickChange::TmNickChange(QWidget* owner, TNickRequest request)
    : TModalForm(owner, QSize(239, 65)),
      lbNick(MakeLabel(pClient, QRect(14, 15, 64, 12), QString::fromUtf8("대화명 입력"))),
      eNick(MakeFlatEdit(pClient, QRect(14, 31, 121, 18))),
      sbOk(MakeFlatButton(pClient, QRect(150, 29, 76, 20), QString::fromUtf8("확인"))),
      request_(std::move(request)) {
  setWindowTitle(QString::fromUtf8("대화명 변경하기"));
  LimitCP949(eNick, kMaxNickBytes);
  SetTextColor(lbNick, DialogTextColor());
  SetTextColor(sbOk, DialogTextColor());
  SetEditColors(eNick, DialogTextColor(), DialogFrameColors()[FrameColorSlot::BodyColor]);
  // Enter in the edit is the OK button; the edit inserts nothing for it.
  connect(eNick, &QLineEdit::returnPressed, this, &TmNickChange::sbOkClick);
  connect(sbOk, &QToolButton::clicked, this, &TmNickChange::sbOkClick);
  eNick->setFocus();
}

void TmNickChange::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape)
    close();
  else
    TModalForm::keyPressEvent(event);
}

void TmNickChange::sbOkClick() {
  const std::string nick = EncodeText(eNick->text());
  if (nick.empty()) {
    ShowMessageBox(Cp949Literal("대화명을 올바르게 입력해 주세요"));
    return;
  }
  request_(nick);
  close();
}
