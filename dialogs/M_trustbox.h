// The question a server's certificate raises when nothing on this system
// vouches for it: trust it for this server from now on? Shown with the host
// name and the certificate's SHA-256, so the user can compare it.
#pragma once

#include <QString>

#include "M_questionbox.h"

class TKTrustBox : public TKQuestionBox {
  Q_OBJECT

 public:
  // Enter answers nothing, so trust is never given by reflex.
  TKTrustBox(QWidget* owner, const QString& host, const QString& fingerprint);

  QLabel* lFingerprint;
  QLabel* lQuestion;
};

// Asks about the certificate of `host` (colon-separated hex fingerprint);
// true only when the user answers yes.
bool AskTrustCertificate(const QString& host, const QString& fingerprint);
