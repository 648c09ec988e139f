#include "scripted_server.h"

#include "wait_until.h"

ScriptedServer::ScriptedServer() {
  server_.listen(QHostAddress::LocalHost, 0);
  QObject::connect(&server_, &QTcpServer::newConnection, [this] {
    client_ = server_.nextPendingConnection();
    received_.clear();
    ++clients_;
    QObject::connect(client_, &QTcpSocket::readyRead, [this] { received_ += client_->readAll(); });
  });
}

bool ScriptedServer::WaitForClient(int timeoutMs) {
  return WaitUntil([this] { return client_ != nullptr; }, timeoutMs);
}

void ScriptedServer::Write(const QByteArray& bytes) {
  if (!client_) return;
  client_->write(bytes);
  client_->flush();
}

bool ScriptedServer::WaitForText(const QByteArray& needle, int timeoutMs) {
  return WaitUntil([&] { return received_.contains(needle); }, timeoutMs);
}

void ScriptedServer::CloseClient() {
  if (client_) client_->disconnectFromHost();
}
