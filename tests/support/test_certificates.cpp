#include "test_certificates.h"

#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QSslCertificate>

bool TestCertificates::Run(const QStringList& arguments) const {
  QProcess openssl;
  openssl.setWorkingDirectory(dir_.path());
  openssl.setProcessChannelMode(QProcess::MergedChannels);
  openssl.start(QStringLiteral("openssl"), arguments);
  return openssl.waitForFinished(30000) && openssl.exitStatus() == QProcess::NormalExit && openssl.exitCode() == 0;
}

bool TestCertificates::Make() {
  const QStringList ecKey = {"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"};
  QFile extensions(dir_.filePath(QStringLiteral("server.ext")));
  if (!dir_.isValid() || !extensions.open(QIODevice::WriteOnly)) return false;
  extensions.write("subjectAltName=DNS:localhost\nbasicConstraints=CA:FALSE\nextendedKeyUsage=serverAuth\n");
  extensions.close();
  return Run(QStringList{"req", "-x509"} + ecKey +
             QStringList{"-keyout", "ca.key", "-out", "ca.pem", "-days", "2", "-subj", "/CN=Velko Test CA",
                         "-addext", "basicConstraints=critical,CA:TRUE", "-addext", "keyUsage=keyCertSign,cRLSign"}) &&
         Run(QStringList{"req"} + ecKey + QStringList{"-keyout", "server.key", "-out", "server.csr", "-subj", "/CN=localhost"}) &&
         Run({"x509", "-req", "-in", "server.csr", "-CA", "ca.pem", "-CAkey", "ca.key", "-CAcreateserial", "-out",
              "server.pem", "-days", "2", "-extfile", "server.ext"});
}

std::string TestCertificates::Fingerprint() const {
  const QList<QSslCertificate> certificates = QSslCertificate::fromPath(QString::fromStdString(CertFile()));
  if (certificates.isEmpty()) return {};
  return certificates.first().digest(QCryptographicHash::Sha256).toHex(':').toStdString();
}
