// The question a server's certificate raises when nothing on this system
// vouches for it: trust it for this server from now on? Shown with the host
// name and the certificate's SHA-256, so the user can compare it.
#pragma once

#include <QString>

#include "U_modalman.h"

class QLabel;
class QToolButton;

class TKTrustBox : public TModalForm {
  Q_OBJECT

 public:
  TKTrustBox(QWidget* owner, const QString& host, const QString& fingerprint);

  QLabel* lText;
  QLabel* lFingerprint;
  QLabel* lQuestion;
  QToolButton* sbYes;
  QToolButton* sbNo;

 protected:
  // Esc answers no; Enter answers nothing, so trust is never given by reflex.
  void keyPressEvent(QKeyEvent* event) override;
};

// Asks about the certificate of `host` (colon-separated hex fingerprint);
// true only when the user answers yes.
bool AskTrustCertificate(const QString& host, const QString& fingerprint);
