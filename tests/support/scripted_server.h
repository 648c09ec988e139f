// A loopback TCP server fed with exact bytes, for wire cases a real server
// never produces. Accepts one client at a time and records what it sends.
#pragma once

#include <QByteArray>
#include <QTcpServer>
#include <QTcpSocket>
#include <QPointer>
#include <cstdint>

class ScriptedServer {
 public:
  ScriptedServer();
  uint16_t Port() const { return server_.serverPort(); }

  // Waits for a client to connect.
  bool WaitForClient(int timeoutMs = 5000);
  void Write(const QByteArray& bytes);
  // Waits until the client has sent a text containing `needle`.
  bool WaitForText(const QByteArray& needle, int timeoutMs = 5000);
  void CloseClient();
  const QByteArray& Received() const { return received_; }
  bool HasClient() const { return client_ != nullptr; }
  // How many clients have connected so far.
  int Clients() const { return clients_; }
  // The current client has gone (closed by either side).
  bool ClientClosed() const { return !client_ || client_->state() == QAbstractSocket::UnconnectedState; }

 private:
  QTcpServer server_;
  QPointer<QTcpSocket> client_;
  QByteArray received_;
  int clients_ = 0;
};
