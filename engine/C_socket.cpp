#include "C_socket.h"

#include <QCryptographicHash>
#include <QHostAddress>
#include <QSslConfiguration>
#include <QSslKey>
#include <QSslSocket>
#include <QSocketNotifier>
#include <QHostInfo>
#include <QTcpServer>
#include <QTcpSocket>
#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/socket.h>
#include <unistd.h>

#include "U_file.h"
#include "winsock_errors.h"

CZoSocket::CZoSocket() : owner_(std::make_unique<QObject>()) {}

CZoSocket::~CZoSocket() = default;

void CZoSocket::ReportError(int code) {
  if (OnError) OnError(this, &code);
}

CZoClientSocket::CZoClientSocket() : socket_(new QTcpSocket(owner_.get())) { RouteEvents(); }

CZoClientSocket::CZoClientSocket(QTcpSocket* accepted) : socket_(accepted) {
  socket_->setParent(owner_.get());
  port_ = socket_->peerPort();
  if (socket_->state() == QAbstractSocket::ConnectedState) stage_ = Stage::Live;
  RouteEvents();
}

CZoClientSocket::~CZoClientSocket() {
  QObject::disconnect(socket_, nullptr, nullptr, nullptr);
  OnConnect = nullptr;
  OnDisconnect = nullptr;
  OnRead = nullptr;
  OnError = nullptr;
  socket_->abort();
}

void CZoClientSocket::RouteEvents() {
  if (auto* secure = qobject_cast<QSslSocket*>(socket_)) {
    QObject::connect(secure, &QSslSocket::encrypted, [this] { Connected(); });
    QObject::connect(secure, &QSslSocket::sslErrors, [this] { CheckCertificate(); });
  } else {
    QObject::connect(socket_, &QTcpSocket::connected, [this] { Connected(); });
  }
  QObject::connect(socket_, &QTcpSocket::disconnected, [this] { Ended(); });
  QObject::connect(socket_, &QTcpSocket::readyRead, [this] {
    if (OnRead) OnRead(this);
  });
  QObject::connect(socket_, &QTcpSocket::errorOccurred, [this](QAbstractSocket::SocketError error) {
    Failed(error == QAbstractSocket::RemoteHostClosedError ? 0 : WinSockErrorFor(error));
  });
}

void CZoClientSocket::Connected() {
  if (stage_ != Stage::Opening) return;
  stage_ = Stage::Live;
  if (OnConnect) OnConnect(this);
}

// A close the socket reports, however it came about.
void CZoClientSocket::Ended() {
  if (stage_ == Stage::Opening) return Fail(WSAECONNRESET);  // before the handshake was done
  if (stage_ != Stage::Live) return;
  stage_ = Stage::Closed;
  if (OnDisconnect) OnDisconnect(this);
}

void CZoClientSocket::Failed(int code) {
  // The peer's orderly close of a live connection is no failure: the socket
  // announces its end itself, with what came before it still readable.
  if (code == 0 && stage_ == Stage::Live) return;
  Fail(code == 0 ? WSAECONNRESET : code);
}

void CZoClientSocket::Fail(int code) {
  if (stage_ == Stage::Closed) return;  // already ended and told
  if (stage_ == Stage::Opening) {
    // Ended before anyone hears of it: a receiver may connect again from OnError.
    stage_ = Stage::Closed;
    socket_->abort();
    return ReportError(code);
  }
  ReportError(code);
  if (stage_ != Stage::Live) return;  // the receiver closed it
  // The abort announces the close itself; the receiver may be connecting again by the time it returns.
  socket_->abort();
  if (stage_ == Stage::Live) Ended();
}

void CZoClientSocket::UseSocket(QTcpSocket* socket) {
  QObject::disconnect(socket_, nullptr, nullptr, nullptr);
  socket_->deleteLater();
  socket_ = socket;
  RouteEvents();
}

namespace {

// The hex digits of a fingerprint as users copy it: any case, colons or blanks between.
QByteArray FingerprintDigits(const std::string& text) {
  QByteArray digits;
  for (const char c : text)
    if (isxdigit(static_cast<unsigned char>(c))) digits += static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return digits;
}

// The private key of a PEM text, whatever its algorithm; null when none.
QSslKey ReadKey(const QByteArray& pem) {
  for (const QSsl::KeyAlgorithm algorithm : {QSsl::Ec, QSsl::Rsa, QSsl::Dsa}) {
    QSslKey key(pem, algorithm);
    if (!key.isNull()) return key;
  }
  return {};
}

// The certificates of a PEM file; none when it is no small regular file.
QList<QSslCertificate> ReadCertificates(const std::string& path) {
  const std::optional<std::string> pem = FileReadSmall(path, kZoTlsFileMax);
  return pem ? QSslCertificate::fromData(QByteArray::fromStdString(*pem), QSsl::Pem) : QList<QSslCertificate>{};
}

// The user's CA file and client certificate into `config`; a refusal code
// when a file named in the settings cannot be used, 0 when all is well.
// Files are read by path only, once: a pattern, a folder or a FIFO never is.
int ConfigureTrust(const ZoTlsOptions& tls, QSslConfiguration* config) {
  if (!tls.caFile.empty()) {
    const QList<QSslCertificate> authorities = ReadCertificates(tls.caFile);
    if (authorities.isEmpty()) return kZoTlsBadFile;
    config->addCaCertificates(authorities);
  }
  config->setPeerVerifyMode(QSslSocket::VerifyPeer);
  if (tls.clientCert.empty()) return 0;
  const QList<QSslCertificate> own = ReadCertificates(tls.clientCert);
  const std::optional<std::string> keyPem = FileReadSmall(tls.clientKey.empty() ? tls.clientCert : tls.clientKey, kZoTlsFileMax);
  const QSslKey key = keyPem ? ReadKey(QByteArray::fromStdString(*keyPem)) : QSslKey();
  if (own.isEmpty() || key.isNull()) return kZoTlsBadFile;
  config->setLocalCertificate(own.first());
  config->setPrivateKey(key);
  return 0;
}

int TlsRefusal(const QList<QSslError>& errors) {
  const auto has = [&](std::initializer_list<QSslError::SslError> kinds) {
    for (const QSslError& error : errors)
      for (const QSslError::SslError kind : kinds)
        if (error.error() == kind) return true;
    return false;
  };
  if (has({QSslError::CertificateExpired, QSslError::CertificateNotYetValid})) return kZoTlsExpired;
  if (has({QSslError::HostNameMismatch})) return kZoTlsWrongName;
  return kZoTlsUntrusted;
}

}  // namespace

// A certificate the system does not vouch for is refused, unless it is the
// one the user pinned; another one where a pin is set is a changed
// certificate, whatever else is wrong with it.
void CZoClientSocket::CheckCertificate() {
  auto* secure = qobject_cast<QSslSocket*>(socket_);
  const QByteArray pinned = FingerprintDigits(tls_.fingerprint);
  const QByteArray digest = secure->peerCertificate().digest(QCryptographicHash::Sha256);
  if (!pinned.isEmpty() && digest.toHex() == pinned) {
    secure->ignoreSslErrors();
    return;
  }
  refusedCertificate_ = digest.toHex(':').toUpper().toStdString();
  Fail(pinned.isEmpty() ? TlsRefusal(secure->sslHandshakeErrors()) : kZoTlsPinChanged);
}

bool CZoClientSocket::SetHostPort(const char* host, uint32_t port) {
  if (IsOpen()) return false;
  host_ = host;
  port_ = port;
  return true;
}

int32_t CZoClientSocket::Send(const char* data, int32_t length) {
  if (!IsConnected() || length <= 0) return 0;
  const int32_t queued = static_cast<int32_t>(socket_->write(data, length));
  // Hand the bytes to the kernel now rather than at the next loop turn: a DCC
  // sender waits for each block's acknowledgement, so every turn saved counts.
  socket_->flush();
  return queued;
}

bool CZoClientSocket::Open() {
  const QString host = QString::fromLatin1(host_.str());
  const bool secure = qobject_cast<QSslSocket*>(socket_) != nullptr;
  if (tls_.on != secure) UseSocket(tls_.on ? new QSslSocket(owner_.get()) : new QTcpSocket(owner_.get()));
  stage_ = Stage::Opening;
  refusedCertificate_.clear();
  if (!tls_.on) {
    socket_->connectToHost(host, static_cast<quint16>(port_));
    return true;
  }
  return OpenSecure(host);
}

bool CZoClientSocket::OpenSecure(const QString& host) {
  QSslConfiguration config = QSslConfiguration::defaultConfiguration();
  const int refusal = QSslSocket::supportsSsl() ? ConfigureTrust(tls_, &config) : kZoTlsFailed;
  if (refusal) {
    Fail(refusal);
    return false;
  }
  auto* tls = static_cast<QSslSocket*>(socket_);
  tls->setSslConfiguration(config);
  tls->connectToHostEncrypted(host, static_cast<quint16>(port_));
  return true;
}

void CZoClientSocket::Close() {
  if (stage_ == Stage::Opening) stage_ = Stage::Closed;  // a given-up attempt has nothing to announce
  if (!IsOpen()) return;
  // Let queued lines (a QUIT) reach the kernel so the close can happen now.
  socket_->flush();
  socket_->disconnectFromHost();
  if (socket_->state() != QAbstractSocket::UnconnectedState) socket_->abort();
}

bool CZoClientSocket::IsOpen() const { return socket_->state() != QAbstractSocket::UnconnectedState; }

bool CZoClientSocket::IsConnected() const {
  return stage_ == Stage::Live && socket_->state() == QAbstractSocket::ConnectedState;
}

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

int64_t CZoClientSocket::Pending() const { return socket_->bytesToWrite(); }

CZoServerSocket::CZoServerSocket() : server_(new QTcpServer(owner_.get())) {
  QObject::connect(server_, &QTcpServer::newConnection, [this] { AcceptPending(); });
}

CZoServerSocket::~CZoServerSocket() {
  QObject::disconnect(server_, nullptr, nullptr, nullptr);
  OnAccept = nullptr;
  OnError = nullptr;
  server_->close();
}

bool CZoServerSocket::Listen(uint16_t port) {
  if (IsActive() || !server_->listen(QHostAddress::AnyIPv4, port)) return false;
  port_ = server_->serverPort();
  return true;
}

void CZoServerSocket::AcceptPending() {
  while (QTcpSocket* peer = server_->nextPendingConnection()) {
    if (connection_) {
      peer->abort();
      peer->deleteLater();
      continue;
    }
    server_->close();
    connection_ = std::make_unique<CZoClientSocket>(peer);
    if (OnAccept) OnAccept(this);
  }
}

bool CZoServerSocket::IsActive() const {
  return server_->isListening() || (connection_ && connection_->IsOpen());
}

void CZoServerSocket::Close() {
  server_->close();
  if (connection_) connection_->Close();
}

namespace {

bool SetNonBlocking(int fd) {
  const int flags = fcntl(fd, F_GETFL);
  return flags >= 0 && fcntl(fd, F_SETFL, flags | O_NONBLOCK) == 0;
}

// Every write is a whole block or acknowledgement the peer waits for: none
// may be held back for a TCP acknowledgement of the one before.
void SendAtOnce(int fd) {
  const int on = 1;
  setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
}

}  // namespace

CZoStreamSocket::CZoStreamSocket() = default;

CZoStreamSocket::CZoStreamSocket(int descriptor) : fd_(descriptor), connected_(true) {
  if (!SetNonBlocking(fd_)) {
    close(fd_);
    fd_ = -1;
    connected_ = false;
    return;
  }
  Watch();
}

CZoStreamSocket::~CZoStreamSocket() {
  OnConnect = nullptr;
  OnRead = nullptr;
  Close();
}

void CZoStreamSocket::Watch() {
  SendAtOnce(fd_);
  // Bytes can be waiting before the connection is announced: they wait for it.
  readNotifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
  readNotifier_->setEnabled(connected_);
  QObject::connect(readNotifier_.get(), &QSocketNotifier::activated, [this] {
    if (OnRead) OnRead();
  });
  writeNotifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Write);
  writeNotifier_->setEnabled(!connected_);
  QObject::connect(writeNotifier_.get(), &QSocketNotifier::activated, [this] { Writable(); });
}

bool CZoStreamSocket::Connect(const char* addressText, uint16_t port) {
  if (fd_ >= 0) return false;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  if (inet_pton(AF_INET, addressText ? addressText : "", &address.sin_addr) != 1) return false;
  fd_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd_ < 0) return false;
  if (connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 && errno != EINPROGRESS) {
    close(fd_);
    fd_ = -1;
    return false;
  }
  // Even a connection made at once is announced from the loop, like any other.
  Watch();
  return true;
}

void CZoStreamSocket::Writable() {
  if (connected_) {
    FlushUnsent();
    return;
  }
  int error = 0;
  socklen_t length = sizeof error;
  const bool made = getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &length) == 0 && error == 0;
  if (made) {
    connected_ = true;
    writeNotifier_->setEnabled(false);
    readNotifier_->setEnabled(true);
  } else {
    Close();
  }
  if (OnConnect) OnConnect(made);
}

int64_t CZoStreamSocket::Receive(char* buffer, int64_t capacity) {
  if (!IsConnected()) return kEnded;
  if (capacity <= 0) return 0;
  while (true) {
    // A reset still leaves the bytes that came before it readable: they come first.
    const ssize_t got = recv(fd_, buffer, static_cast<size_t>(capacity), 0);
    if (got > 0) return got;
    if (got < 0 && errno == EINTR) continue;
    if (got < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return 0;
    readNotifier_->setEnabled(false);
    return kEnded;
  }
}

bool CZoStreamSocket::Send(const char* data, int64_t length) {
  if (!IsConnected()) return false;
  if (!unsent_.empty()) {
    unsent_.append(data, static_cast<size_t>(length));
    return true;
  }
  while (length > 0) {
    const ssize_t done = send(fd_, data, static_cast<size_t>(length), MSG_NOSIGNAL);
    if (done < 0 && errno == EINTR) continue;
    if (done < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    if (done < 0) return false;
    data += done;
    length -= done;
  }
  if (length > 0) {
    unsent_.assign(data, static_cast<size_t>(length));
    writeNotifier_->setEnabled(true);
  }
  return true;
}

void CZoStreamSocket::FlushUnsent() {
  size_t written = 0;
  while (written < unsent_.size()) {
    const ssize_t done = send(fd_, unsent_.data() + written, unsent_.size() - written, MSG_NOSIGNAL);
    if (done < 0 && errno == EINTR) continue;
    if (done < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) break;
    if (done < 0) {
      written = unsent_.size();  // the connection is gone; reading will tell
      break;
    }
    written += static_cast<size_t>(done);
  }
  unsent_.erase(0, written);
  writeNotifier_->setEnabled(!unsent_.empty());
}

void CZoStreamSocket::Close() {
  if (fd_ < 0) return;
  // The notifiers may be the ones raising this call: they are only silenced here.
  if (readNotifier_) readNotifier_->setEnabled(false);
  if (writeNotifier_) writeNotifier_->setEnabled(false);
  close(fd_);
  fd_ = -1;
  connected_ = false;
  unsent_.clear();
}

CZoStreamListener::CZoStreamListener() = default;

CZoStreamListener::~CZoStreamListener() {
  OnAccept = nullptr;
  Close();
}

bool CZoStreamListener::Listen(uint16_t port) {
  if (fd_ >= 0) return false;
  fd_ = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd_ < 0) return false;
  const int reuse = 1;
  setsockopt(fd_, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  socklen_t length = sizeof address;
  if (bind(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(fd_, 1) != 0 ||
      getsockname(fd_, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
    close(fd_);
    fd_ = -1;
    return false;
  }
  port_ = ntohs(address.sin_port);
  notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
  QObject::connect(notifier_.get(), &QSocketNotifier::activated, [this] { AcceptPending(); });
  return true;
}

void CZoStreamListener::AcceptPending() {
  const int peer = accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
  if (peer < 0) return;
  Close();
  auto connection = std::make_unique<CZoStreamSocket>(peer);
  if (OnAccept) OnAccept(std::move(connection));
}

void CZoStreamListener::Close() {
  if (fd_ < 0) return;
  if (notifier_) notifier_->setEnabled(false);
  close(fd_);
  fd_ = -1;
}

uint16_t GetFreePort() {
  const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return 0;
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  socklen_t length = sizeof address;
  uint16_t port = 0;
  if (bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
      getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) == 0)
    port = ntohs(address.sin_port);
  close(fd);
  return port;
}

uint32_t GetLocalAddress(uint32_t serverConnectionAddress) {
  if (serverConnectionAddress != 0) return serverConnectionAddress;
  constexpr uint32_t kLoopback = 0x7F000001;
  const QHostInfo host = QHostInfo::fromName(QHostInfo::localHostName());
  for (const QHostAddress& address : host.addresses()) {
    bool ok = false;
    const uint32_t ipv4 = address.toIPv4Address(&ok);
    if (ok && (ipv4 >> 24) != 127) return ipv4;
  }
  return kLoopback;
}
