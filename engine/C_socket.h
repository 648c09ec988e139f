// Thin wrapper around the framework's TCP client socket: its events become the
// wrapper's callbacks, and no framework object leaks to the rest of the engine.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "U_commondata.h"

class QObject;
class QString;
class QSocketNotifier;
class QTcpServer;
class QTcpSocket;

// How the server connection is secured. The certificate and the host name
// are checked against the system's trust store; a user may trust further
// certificates by their SHA-256 (hex, colons allowed) or by a CA file (PEM).
// A client certificate (PEM, with its key in the same or its own file) is
// presented when given.
struct ZoTlsOptions {
  bool on = false;
  std::string fingerprint;
  std::string caFile;
  std::string clientCert;
  std::string clientKey;
};

// TLS refusals, reported through OnError beside the WinSock numbers.
enum ZoTlsError : int {
  kZoTlsUntrusted = 12001,
  kZoTlsWrongName = 12002,
  kZoTlsExpired = 12003,
  kZoTlsFailed = 12004,
  // A CA, certificate or key file that is no regular file of at most
  // kZoTlsFileMax bytes, or holds nothing usable.
  kZoTlsBadFile = 12005,
  // The user pinned a certificate and the server now shows another one.
  kZoTlsPinChanged = 12006,
};

inline constexpr size_t kZoTlsFileMax = 1 << 20;

class CZoSocket {
 public:
  CZoSocket();
  virtual ~CZoSocket();
  CZoSocket(const CZoSocket&) = delete;
  CZoSocket& operator=(const CZoSocket&) = delete;

  // The receiver may set the WinSock code to 0 to say it was handled; the
  // failure ends the connection either way.
  std::function<void(CZoSocket*, int*)> OnError;

 protected:
  void ReportError(int code);

  std::unique_ptr<QObject> owner_;
};

class CZoClientSocket : public CZoSocket {
 public:
  CZoClientSocket();
  // Takes over a connection the framework has accepted.
  explicit CZoClientSocket(QTcpSocket* accepted);
  ~CZoClientSocket() override;

  bool SetHostPort(const char* host, uint32_t port);
  // Takes effect at the next Open.
  void SetTls(const ZoTlsOptions& tls) { tls_ = tls; }
  uint32_t Port() const { return port_; }
  // Bytes handed to the socket: 0 when it is not open.
  int32_t Send(const char* data, int32_t length);
  bool Open();
  void Close();
  // Ends the connection as failed with `code`: an attempt is ended, then
  // OnError says why and nothing else follows; a live connection first says
  // why, then ends with OnDisconnect.
  void Fail(int code);
  bool IsOpen() const;
  bool IsConnected() const;
  // Reads what has arrived, up to `capacity` bytes; 0 when nothing is waiting.
  int32_t Receive(char* buffer, int32_t capacity);
  // The local IPv4 address of a connected socket in host order, 0 otherwise.
  uint32_t LocalAddress() const;
  // Bytes written but not yet handed to the kernel.
  int64_t Pending() const;
  // The SHA-256 of the certificate the last refusal turned away, as
  // colon-separated upper-case hex; empty when the last attempt was not
  // refused for its certificate.
  const std::string& RefusedCertificate() const { return refusedCertificate_; }

  std::function<void(CZoClientSocket*)> OnConnect;
  std::function<void(CZoClientSocket*)> OnDisconnect;
  std::function<void(CZoClientSocket*)> OnRead;

 private:
  // Closed; connecting (TLS handshake included); live, announced by OnConnect.
  enum class Stage { Closed, Opening, Live };

  void RouteEvents();
  void UseSocket(QTcpSocket* socket);
  void Connected();
  void Ended();
  // A WinSock code, 0 for the peer's orderly close.
  void Failed(int code);
  void CheckCertificate();
  bool OpenSecure(const QString& host);

  QTcpSocket* socket_;  // owned through owner_
  ZoString host_;
  uint32_t port_ = 0;
  Stage stage_ = Stage::Closed;
  ZoTlsOptions tls_;
  std::string refusedCertificate_;
};

// A listening socket for one peer: the first connection it accepts is kept as
// its connection and listening stops; later callers are turned away.
class CZoServerSocket : public CZoSocket {
 public:
  CZoServerSocket();
  ~CZoServerSocket() override;

  // Listens on all IPv4 interfaces; port 0 lets the system choose.
  bool Listen(uint16_t port);
  uint16_t Port() const { return port_; }
  // Listening or holding an open connection.
  bool IsActive() const;
  void Close();
  // The accepted connection, or null before a peer came.
  CZoClientSocket* Connection() const { return connection_.get(); }

  // A peer connected; the receiver sets the connection's callbacks here.
  std::function<void(CZoServerSocket*)> OnAccept;

 private:
  void AcceptPending();

  QTcpServer* server_;  // owned through owner_
  std::unique_ptr<CZoClientSocket> connection_;
  uint16_t port_ = 0;
};

// A TCP connection on a plain non-blocking descriptor, for bulk transfers:
// reads go straight into the caller's buffer and writes straight to the
// kernel, so a transfer pays for no copy and no notifier switching it does
// not need. Only what the kernel would not take is kept and written later.
class CZoStreamSocket {
 public:
  // What Receive answers when the connection has ended (closed, reset or failed).
  static constexpr int64_t kEnded = -1;

  CZoStreamSocket();
  // Takes over a connected descriptor.
  explicit CZoStreamSocket(int descriptor);
  ~CZoStreamSocket();
  CZoStreamSocket(const CZoStreamSocket&) = delete;
  CZoStreamSocket& operator=(const CZoStreamSocket&) = delete;

  // Starts connecting to a dotted IPv4 address; OnConnect tells how it went.
  bool Connect(const char* addressText, uint16_t port);
  bool IsOpen() const { return fd_ >= 0; }
  bool IsConnected() const { return fd_ >= 0 && connected_; }
  // Bytes read, up to `capacity`; 0 when nothing is waiting; kEnded once the
  // peer has closed or reset and every byte before that has been read.
  int64_t Receive(char* buffer, int64_t capacity);
  // Hands the bytes to the kernel, keeping what it would not take for later;
  // false when the connection is gone.
  bool Send(const char* data, int64_t length);
  // Bytes kept because the kernel would not take them yet.
  int64_t Pending() const { return static_cast<int64_t>(unsent_.size()); }
  void Close();

  // Raised once: true when the connection is made, false when it failed.
  std::function<void(bool connected)> OnConnect;
  // Bytes, or the end of the connection, are waiting for Receive.
  std::function<void()> OnRead;

 private:
  void Watch();
  void Writable();
  void FlushUnsent();

  int fd_ = -1;
  bool connected_ = false;
  std::unique_ptr<QSocketNotifier> readNotifier_;
  std::unique_ptr<QSocketNotifier> writeNotifier_;
  std::string unsent_;
};

// Listens for one peer on all IPv4 interfaces and hands over the first
// connection; listening stops then, so later callers are turned away.
class CZoStreamListener {
 public:
  CZoStreamListener();
  ~CZoStreamListener();
  CZoStreamListener(const CZoStreamListener&) = delete;
  CZoStreamListener& operator=(const CZoStreamListener&) = delete;

  // Port 0 lets the system choose.
  bool Listen(uint16_t port);
  uint16_t Port() const { return port_; }
  bool IsListening() const { return fd_ >= 0; }
  void Close();

  std::function<void(std::unique_ptr<CZoStreamSocket>)> OnAccept;

 private:
  void AcceptPending();

  int fd_ = -1;
  uint16_t port_ = 0;
  std::unique_ptr<QSocketNotifier> notifier_;
};

// A TCP port the system reports free at the moment of the call; 0 when none.
uint16_t GetFreePort();
// The own IPv4 address in host order to advance to a peer: the server
// connection's local address when there is one, else the first address of
// the host name outside 127.0.0.0/8, else 127.0.0.1.
uint32_t GetLocalAddress(uint32_t serverConnectionAddress);
