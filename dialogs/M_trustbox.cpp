#include "M_trustbox.h"

#include <QFontDatabase>
#include <QKeyEvent>
#include <QLabel>
#include <QToolButton>

#include "U_dlgcontrols.h"

namespace {

// 32 bytes as "AB:CD:…" are too wide for one line: two rows of 16.
QString FingerprintRows(const QString& fingerprint) {
  constexpr qsizetype kRow = 16 * 3;
  if (fingerprint.size() <= kRow) return fingerprint;
  return fingerprint.left(kRow - 1) + QLatin1Char('\n') + fingerprint.mid(kRow);
}

}  // namespace

TKTrustBox::TKTrustBox(QWidget* owner, const QString& host, const QString& fingerprint)
    : TModalForm(owner, QSize(398, 118)),
      lText(MakePromptLabel(pClient, QRect(3, 9, 392, 14))),
      lFingerprint(MakeLabel(pClient, QRect(8, 29, 382, 30), QString())),
      lQuestion(MakeLabel(pClient, QRect(3, 65, 392, 14), QString::fromUtf8("위 SHA-256 지문이 맞으면 이 서버의 인증서로 믿고 접속할까요?"))),
      sbYes(MakeFlatButton(pClient, QRect(131, 90, 65, 18), QString::fromUtf8("예"))),
      sbNo(MakeFlatButton(pClient, QRect(202, 90, 65, 18), QString::fromUtf8("아니오"))) {
  setWindowTitle("VELKO");
  lText->setText(QString::fromUtf8("%1 서버의 인증서를 보증하는 곳이 없습니다.").arg(host));
  lFingerprint->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  lFingerprint->setText(FingerprintRows(fingerprint));
  lFingerprint->setToolTip(QStringLiteral("SHA-256 ") + fingerprint);
  lFingerprint->setTextInteractionFlags(Qt::TextSelectableByMouse);
  for (QLabel* label : {lFingerprint, lQuestion}) label->setAlignment(Qt::AlignCenter);
  SetTextColor({lText, lFingerprint, lQuestion, sbYes, sbNo}, DialogTextColor());
  connect(sbYes, &QToolButton::clicked, this, [this] { SetModalResult(mrOk); });
  connect(sbNo, &QToolButton::clicked, this, [this] { SetModalResult(mrCancel); });
}

void TKTrustBox::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape)
    SetModalResult(mrCancel);
  else if (event->key() != Qt::Key_Return && event->key() != Qt::Key_Enter)
    TModalForm::keyPressEvent(event);
}

bool AskTrustCertificate(const QString& host, const QString& fingerprint) {
  TModalHolder<TKTrustBox> box(host, fingerprint);
  return box->ShowModal() == mrOk;
}
