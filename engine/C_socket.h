// Thin wrapper around the framework's TCP client socket: its events become the
// wrapper's callbacks, and no framework object leaks to the rest of the engine.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>

#include "U_commondata.h"

class QObject;
class QTcpSocket;

class CZoSocket {
 public:
  CZoSocket();
  virtual ~CZoSocket();
  CZoSocket(const CZoSocket&) = delete;
  CZoSocket& operator=(const CZoSocket&) = delete;

  // The receiver may change the WinSock code; 0 keeps the socket from being aborted.
  std::function<void(CZoSocket*, int*)> OnError;

 protected:
  // Raises OnError and answers a code left non-zero by aborting the socket.
  void ReportError(int code);
  virtual void Abort() = 0;

  std::unique_ptr<QObject> owner_;
};

class CZoClientSocket : public CZoSocket {
 public:
  CZoClientSocket();
  ~CZoClientSocket() override;

  bool SetHostPort(const char* host, uint32_t port);
  // Bytes handed to the socket: 0 when it is not open.
  int32_t Send(const char* data, int32_t length);
  bool Open();
  void Close();
  bool IsOpen() const;
  bool IsConnected() const;
  // Reads what has arrived, up to `capacity` bytes; 0 when nothing is waiting.
  int32_t Receive(char* buffer, int32_t capacity);
  // The local IPv4 address of a connected socket in host order, 0 otherwise.
  uint32_t LocalAddress() const;

  std::function<void(CZoClientSocket*)> OnConnect;
  std::function<void(CZoClientSocket*)> OnDisconnect;
  std::function<void(CZoClientSocket*)> OnRead;

 protected:
  void Abort() override;

 private:
  void RouteEvents();

  QTcpSocket* socket_;  // owned through owner_
  ZoString host_;
  uint32_t port_ = 0;
  bool connected_ = false;
};
