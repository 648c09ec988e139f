// Throwaway TLS material made with the openssl tool in a temporary folder: a
// CA and a server certificate it signed for the name "localhost".
#pragma once

#include <QTemporaryDir>
#include <string>

class TestCertificates {
 public:
  bool Make();
  std::string CaFile() const { return Path("ca.pem"); }
  std::string CertFile() const { return Path("server.pem"); }
  std::string KeyFile() const { return Path("server.key"); }
  // The server certificate's SHA-256 in hex, as a user would pin it.
  std::string Fingerprint() const;

 private:
  std::string Path(const char* name) const { return dir_.filePath(QString::fromLatin1(name)).toStdString(); }
  bool Run(const QStringList& arguments) const;

  QTemporaryDir dir_;
};
