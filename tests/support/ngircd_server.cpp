#include "ngircd_server.h"

#include <cstdio>

#include "C_socket.h"

bool NgircdServer::WriteConfig(const std::string& path) {
  FILE* file = fopen(path.c_str(), "w");
  if (!file) return false;
  fprintf(file,
          "[Global]\nName = %s\nInfo = Velko test server\nListen = 127.0.0.1\nPorts = %u\n"
          "AdminInfo1 = Velko\nAdminInfo2 = Test\nAdminEMail = velko@localhost\n"
          "MotdPhrase = %s\n"
          "[Limits]\nMaxConnectionsIP = 0\nMaxPenaltyTime = %d\nPingTimeout = 300\nMaxNickLength = 30\n"
          "[Options]\nDNS = no\nIdent = no\nPAM = no\n"
          "[Operator]\nName = %s\nPassword = %s\n",
          kName, port_, kMotd, floodControl_ ? -1 : 0, kOperName, kOperPassword);
  if (tlsPort_) fprintf(file, "[SSL]\nCertFile = %s\nKeyFile = %s\nPorts = %u\n", certificates_.CertFile().c_str(),
                      certificates_.KeyFile().c_str(), tlsPort_);
  return fclose(file) == 0;
}

bool NgircdServer::Start() {
  if (!dir_.isValid()) return false;
  port_ = GetFreePort();
  if (tls_) {
    do tlsPort_ = GetFreePort();
    while (tlsPort_ == port_);
  }
  if (port_ == 0 || !WriteConfig(dir_.filePath("ngircd.conf").toStdString())) return false;
  return Launch();
}

bool NgircdServer::Restart() {
  process_.Stop();
  return Launch();
}

bool NgircdServer::Launch() {
  const std::string config = dir_.filePath("ngircd.conf").toStdString();
  return process_.Start({"ngircd", "-n", "-f", config}, dir_.filePath("ngircd.log").toStdString(), port_);
}
