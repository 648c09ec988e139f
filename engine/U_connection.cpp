#include "U_connection.h"

#include <QTimer>
#include <chrono>
#include <cstring>

#include "C_socket.h"
#include "winsock_errors.h"

CZoConnection::CZoConnection(int linesPerPass)
    : socket_(std::make_unique<CZoClientSocket>()),
      raw_(kReceiveSize),
      framer_(kReceiveSize),
      readMore_(std::make_unique<QTimer>()),
      linesPerPass_(linesPerPass) {
  readMore_->setSingleShot(true);
  readMore_->setInterval(0);
  QObject::connect(readMore_.get(), &QTimer::timeout, [this] { Read(); });
  socket_->OnConnect = [this](CZoClientSocket*) {
    if (OnConnect) OnConnect(nullptr);
  };
  socket_->OnDisconnect = [this](CZoClientSocket*) {
    framer_.Clear();
    ++session_;
    if (OnDisconnect) OnDisconnect(nullptr);
  };
  socket_->OnError = [this](CZoSocket*, int* code) {
    if (OnError) OnError(code);
  };
  socket_->OnRead = [this](CZoClientSocket*) { Read(); };
}

CZoConnection::~CZoConnection() {
  socket_->OnConnect = nullptr;
  socket_->OnDisconnect = nullptr;
  socket_->OnError = nullptr;
  socket_->OnRead = nullptr;
}

void CZoConnection::SetTls(const ZoTlsOptions& tls) { socket_->SetTls(tls); }

bool CZoConnection::Connect(const char* host, uint32_t port) {
  if (!socket_->SetHostPort(host, port)) return false;
  framer_.Clear();
  return socket_->Open();
}

bool CZoConnection::Send(const char* text) {
  if (!text) return false;
  const auto length = static_cast<int64_t>(strlen(text));
  if (socket_->Pending() + length > kMaxQueued) {
    socket_->Fail(WSAENOBUFS);
    return false;
  }
  const bool live = socket_->IsConnected();
  socket_->Send(text, static_cast<int32_t>(length));
  return live;
}

void CZoConnection::Disconnect() { socket_->Close(); }

void CZoConnection::Fail(int code) { socket_->Fail(code); }

bool CZoConnection::IsOpen() const { return socket_->IsOpen(); }

uint32_t CZoConnection::LocalAddress() const { return socket_->LocalAddress(); }

const std::string& CZoConnection::RefusedCertificate() const { return socket_->RefusedCertificate(); }

void CZoConnection::Read() {
  if (OnData) {
    ReadRaw();
    return;
  }
  const uint64_t session = session_;
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(kPassMs);
  bool paused = false;
  for (int budget = linesPerPass_; !paused && session == session_;) {
    char* line = framer_.Next();
    if (!line) {
      const int32_t count = socket_->Receive(framer_.Space(), static_cast<int32_t>(framer_.SpaceLeft()));
      if (count <= 0) break;
      framer_.Add(static_cast<size_t>(count));
      continue;
    }
    if (OnLine) OnLine(line);
    paused = --budget == 0 || std::chrono::steady_clock::now() >= deadline;
  }
  if (paused && session == session_) readMore_->start();
}

void CZoConnection::ReadRaw() {
  int32_t count;
  while (OnData && (count = socket_->Receive(raw_.buffer(), kReceiveSize)) > 0) {
    raw_.buffer()[count] = 0;
    OnData(count, raw_.buffer());
  }
}
