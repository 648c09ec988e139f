// A real HTTP server (Python's http.server) on a free loopback port, serving
// the files of one folder; stopped by its process id.
#pragma once

#include <QProcess>
#include <QString>
#include <cstdint>

class HttpFolderServer {
 public:
  HttpFolderServer() = default;
  ~HttpFolderServer() { Stop(); }
  HttpFolderServer(const HttpFolderServer&) = delete;
  HttpFolderServer& operator=(const HttpFolderServer&) = delete;

  // Starts serving `folder` and waits until the server names its port.
  bool Start(const QString& folder, int timeoutMs = 10000);
  void Stop();
  uint16_t Port() const { return port_; }

 private:
  QProcess process_;
  uint16_t port_ = 0;
};
