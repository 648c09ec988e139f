// A loopback relay in front of a real server, passing bytes both ways
// untouched, that can slip bytes of its own to the client: what a tampering
// hop between client and server does.
#pragma once

#include <QByteArray>
#include <QPointer>
#include <QTcpServer>
#include <QTcpSocket>
#include <cstdint>

class TcpRelay {
 public:
  explicit TcpRelay(uint16_t upstreamPort);
  uint16_t Port() const { return server_.serverPort(); }
  // Connections the client has made so far.
  int Accepted() const { return accepted_; }
  // Sends `bytes` to the current client as if the server had.
  void InjectToClient(const QByteArray& bytes);

 private:
  void Relay(QTcpSocket* client);

  QTcpServer server_;
  uint16_t upstreamPort_;
  int accepted_ = 0;
  QPointer<QTcpSocket> client_;
};
