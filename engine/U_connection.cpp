#include "U_connection.h"

#include <cstring>

#include "C_socket.h"

CZoConnection::CZoConnection()
    : socket_(std::make_unique<CZoClientSocket>()),
      receive_(kReceiveSize),
      splitter_(kReceiveSize) {
  socket_->OnConnect = [this](CZoClientSocket*) {
    if (OnConnect) OnConnect(nullptr);
  };
  socket_->OnDisconnect = [this](CZoClientSocket*) {
    carried_ = 0;
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

bool CZoConnection::Connect(const char* host, uint32_t port) {
  if (!socket_->SetHostPort(host, port)) return false;
  carried_ = 0;
  return socket_->Open();
}

void CZoConnection::Send(const char* text) {
  if (!text) return;
  queue_.emplace_back(text);
  Flush();
}

void CZoConnection::Disconnect() { socket_->Close(); }

bool CZoConnection::IsOpen() const { return socket_->IsOpen(); }

uint32_t CZoConnection::LocalAddress() const { return socket_->LocalAddress(); }

void CZoConnection::Flush() {
  for (const std::string& text : queue_)
    socket_->Send(text.data(), static_cast<int32_t>(text.size()));
  queue_.clear();
}

void CZoConnection::Read() {
  if (OnData) {
    ReadRaw();
    return;
  }
  const uint64_t session = session_;
  int32_t count;
  while (session == session_ &&
         (count = socket_->Receive(receive_.buffer() + carried_, kReceiveSize - carried_)) > 0) {
    ReadLines(count);
  }
  Flush();
}

void CZoConnection::ReadRaw() {
  int32_t count;
  while (OnData && (count = socket_->Receive(receive_.buffer(), kReceiveSize)) > 0) {
    receive_.buffer()[count] = 0;
    OnData(count, receive_.buffer());
  }
}

void CZoConnection::ReadLines(int32_t count) {
  const int32_t total = carried_ + count;
  memcpy(splitter_.buffer(), receive_.buffer(), static_cast<size_t>(total));
  splitter_.reset(static_cast<size_t>(total));
  const uint64_t session = session_;
  size_t length = 0;
  while (const char* line = splitter_.nextLine(&length)) {
    carried_ = 0;
    DeliverLine(line, length, true);
    if (session != session_) return;
  }
  size_t tailLength = 0;
  const char* tail = splitter_.remainder(&tailLength);
  if (!tail) {
    carried_ = 0;
  } else if (tailLength >= static_cast<size_t>(kReceiveSize)) {
    carried_ = 0;
    DeliverLine(tail, tailLength, false);  // a full buffer with no line end: hand it on as it is
  } else {
    memmove(receive_.buffer(), tail, tailLength);
    carried_ = static_cast<int32_t>(tailLength);
  }
}

void CZoConnection::DeliverLine(const char* text, size_t length, bool withLineFeed) {
  char* line = receive_.buffer();
  memcpy(line, text, length);
  if (withLineFeed) line[length++] = '\n';
  line[length] = 0;
  if (OnLine) OnLine(line);
}
