#include "M_trustbox.h"

#include <QFontDatabase>
#include <QLabel>

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
    : TKQuestionBox(owner, QSize(398, 118), QString::fromUtf8("%1 서버의 인증서를 보증하는 곳이 없습니다.").arg(host), false),
      lFingerprint(MakeLabel(pClient, QRect(8, 29, 382, 30), QString())),
      lQuestion(MakeLabel(pClient, QRect(3, 65, 392, 14), QString::fromUtf8("위 SHA-256 지문이 맞으면 이 서버의 인증서로 믿고 접속할까요?"))) {
  lFingerprint->setFont(QFontDatabase::systemFont(QFontDatabase::FixedFont));
  lFingerprint->setText(FingerprintRows(fingerprint));
  lFingerprint->setToolTip(QStringLiteral("SHA-256 ") + fingerprint);
  lFingerprint->setTextInteractionFlags(Qt::TextSelectableByMouse);
  for (QLabel* label : {lFingerprint, lQuestion}) label->setAlignment(Qt::AlignCenter);
  SetTextColor({lFingerprint, lQuestion}, DialogTextColor());
}

bool AskTrustCertificate(const QString& host, const QString& fingerprint) {
  TModalHolder<TKTrustBox> box(host, fingerprint);
  return box->ShowModal() == mrOk;
}
