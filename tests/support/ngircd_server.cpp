#include "ngircd_server.h"

#include "C_socket.h"

#include <arpa/inet.h>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

bool NgircdServer::WriteConfig(const std::string& path) {
  FILE* file = fopen(path.c_str(), "w");
  if (!file) return false;
  fprintf(file,
          "[Global]\nName = %s\nInfo = Velko test server\nListen = 127.0.0.1\nPorts = %u\n"
          "AdminInfo1 = Velko\nAdminInfo2 = Test\nAdminEMail = velko@localhost\n"
          "MotdPhrase = Welcome to the Velko test server\n"
          "[Limits]\nMaxConnectionsIP = 0\nMaxPenaltyTime = %d\nPingTimeout = 300\nMaxNickLength = 30\n"
          "[Options]\nDNS = no\nIdent = no\nPAM = no\n"
          "[Operator]\nName = %s\nPassword = %s\n",
          kName, port_, floodControl_ ? -1 : 0, kOperName, kOperPassword);
  return fclose(file) == 0;
}

bool NgircdServer::Start() {
  if (!dir_.isValid()) return false;
  port_ = GetFreePort();
  const std::string config = dir_.filePath("ngircd.conf").toStdString();
  const std::string log = dir_.filePath("ngircd.log").toStdString();
  if (port_ == 0 || !WriteConfig(config)) return false;
  pid_ = fork();
  if (pid_ == 0) {
    const int out = open(log.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    if (out >= 0) {
      dup2(out, STDOUT_FILENO);
      dup2(out, STDERR_FILENO);
    }
    execlp("ngircd", "ngircd", "-n", "-f", config.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  return pid_ > 0 && WaitAccepting(10000);
}

bool NgircdServer::WaitAccepting(int timeoutMs) const {
  for (int waited = 0; waited < timeoutMs; waited += 20) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port_);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool up = connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    if (up) return true;
    if (waitpid(pid_, nullptr, WNOHANG) == pid_) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return false;
}

void NgircdServer::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  waitpid(pid_, nullptr, 0);
  pid_ = -1;
}
