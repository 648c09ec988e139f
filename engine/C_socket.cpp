#include "C_socket.h"

#include <QHostAddress>
#include <QTcpSocket>

#include "winsock_errors.h"

CZoSocket::CZoSocket() : owner_(std::make_unique<QObject>()) {}

CZoSocket::~CZoSocket() = default;

void CZoSocket::ReportError(int code) {
  if (code == 0) return;
  if (OnError) OnError(this, &code);
  if (code != 0) Abort();
}

CZoClientSocket::CZoClientSocket() : socket_(new QTcpSocket(owner_.get())) { RouteEvents(); }

CZoClientSocket::~CZoClientSocket() {
  QObject::disconnect(socket_, nullptr, nullptr, nullptr);
  OnConnect = nullptr;
  OnDisconnect = nullptr;
  OnRead = nullptr;
  OnError = nullptr;
  socket_->abort();
}

void CZoClientSocket::RouteEvents() {
  QObject::connect(socket_, &QTcpSocket::connected, [this] {
    connected_ = true;
    if (OnConnect) OnConnect(this);
  });
  QObject::connect(socket_, &QTcpSocket::disconnected, [this] {
    if (!connected_) return;
    connected_ = false;
    if (OnDisconnect) OnDisconnect(this);
  });
  QObject::connect(socket_, &QTcpSocket::readyRead, [this] {
    if (OnRead) OnRead(this);
  });
  QObject::connect(socket_, &QTcpSocket::errorOccurred,
                   [this](QAbstractSocket::SocketError error) { ReportError(WinSockErrorFor(error)); });
}

bool CZoClientSocket::SetHostPort(const char* host, uint32_t port) {
  if (IsOpen()) return false;
  host_ = host;
  port_ = port;
  return true;
}

int32_t CZoClientSocket::Send(const char* data, int32_t length) {
  if (!IsConnected() || length <= 0) return 0;
  return static_cast<int32_t>(socket_->write(data, length));
}

bool CZoClientSocket::Open() {
  socket_->connectToHost(QString::fromLatin1(host_.str()), static_cast<quint16>(port_));
  return true;
}

void CZoClientSocket::Close() {
  if (!IsOpen()) return;
  // Let queued lines (a QUIT) reach the kernel so the close can happen now.
  socket_->flush();
  socket_->disconnectFromHost();
  if (socket_->state() != QAbstractSocket::UnconnectedState) socket_->abort();
}

void CZoClientSocket::Abort() { socket_->abort(); }

bool CZoClientSocket::IsOpen() const { return socket_->state() != QAbstractSocket::UnconnectedState; }

bool CZoClientSocket::IsConnected() const { return socket_->state() == QAbstractSocket::ConnectedState; }

int32_t CZoClientSocket::Receive(char* buffer, int32_t capacity) {
  if (capacity <= 0) return 0;
  const qint64 count = socket_->read(buffer, capacity);
  return count > 0 ? static_cast<int32_t>(count) : 0;
}

uint32_t CZoClientSocket::LocalAddress() const {
  bool ok = false;
  const quint32 address = socket_->localAddress().toIPv4Address(&ok);
  return ok && IsConnected() ? address : 0;
}
