#include "tcp_relay.h"

TcpRelay::TcpRelay(uint16_t upstreamPort) : upstreamPort_(upstreamPort) {
  server_.listen(QHostAddress::LocalHost, 0);
  QObject::connect(&server_, &QTcpServer::newConnection, [this] {
    while (QTcpSocket* client = server_.nextPendingConnection()) Relay(client);
  });
}

void TcpRelay::Relay(QTcpSocket* client) {
  ++accepted_;
  client_ = client;
  auto* upstream = new QTcpSocket(client);
  // Bytes from the client wait in its socket until the upstream is connected.
  const auto pass = [](QTcpSocket* from, QTcpSocket* to) {
    if (to->state() == QAbstractSocket::ConnectedState) to->write(from->readAll());
  };
  QObject::connect(upstream, &QTcpSocket::connected, [=] { pass(client, upstream); });
  QObject::connect(client, &QTcpSocket::readyRead, [=] { pass(client, upstream); });
  QObject::connect(upstream, &QTcpSocket::readyRead, [=] { pass(upstream, client); });
  QObject::connect(client, &QTcpSocket::disconnected, upstream, &QTcpSocket::disconnectFromHost);
  QObject::connect(upstream, &QTcpSocket::disconnected, client, &QTcpSocket::disconnectFromHost);
  QObject::connect(client, &QTcpSocket::disconnected, client, &QObject::deleteLater);
  upstream->connectToHost(QHostAddress::LocalHost, upstreamPort_);
}

void TcpRelay::InjectToClient(const QByteArray& bytes) {
  if (!client_) return;
  client_->write(bytes);
  client_->flush();
}
