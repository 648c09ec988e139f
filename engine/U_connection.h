// One TCP connection: line-framed for the IRC server, or raw for HTTP. Texts
// go to the socket as they are sent; a peer that does not read may make us
// hold at most kMaxQueued bytes of them; beyond that the connection is closed
// with WSAENOBUFS, as servers do with clients that do not read.
// A burst is handled a bounded batch of lines at a time, the rest one
// event-loop pass later, so the window never stands still for long.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "U_lineframer.h"

struct ZoTlsOptions;

class CZoClientSocket;
class QTimer;

class CZoConnection {
 public:
  // A tagged line: 8191 bytes of tags, then the 512 of the line itself.
  static constexpr int32_t kReceiveSize = 8191 + 512;
  static constexpr int64_t kMaxQueued = 4 << 20;
  // A pass ends after this many lines or this long, whichever comes first.
  static constexpr int kLinesPerPass = 50000;
  static constexpr int kPassMs = 40;

  explicit CZoConnection(int linesPerPass = kLinesPerPass);
  ~CZoConnection();
  CZoConnection(const CZoConnection&) = delete;
  CZoConnection& operator=(const CZoConnection&) = delete;

  // Set before connecting. OnData set makes the connection raw.
  std::function<void(int32_t count, char* data)> OnData;
  std::function<void(char* line)> OnLine;
  std::function<void(void*)> OnConnect;
  std::function<void(void*)> OnDisconnect;
  std::function<void(int* code)> OnError;

  // Takes effect at the next Connect; DCC connections never use it.
  void SetTls(const ZoTlsOptions& tls);
  bool Connect(const char* host, uint32_t port);
  // True when the text was handed to a live connection.
  bool Send(const char* text);
  void Disconnect();
  // Ends the connection as failed, with `code` for OnError (see CZoClientSocket::Fail).
  void Fail(int code);
  bool IsOpen() const;
  // The local IPv4 address of the live connection in host order, 0 when none.
  uint32_t LocalAddress() const;
  // See CZoClientSocket::RefusedCertificate.
  const std::string& RefusedCertificate() const;

 private:
  void Read();
  void ReadRaw();

  std::unique_ptr<CZoClientSocket> socket_;
  ZoStringStatic raw_;
  CZoLineFramer framer_;
  std::unique_ptr<QTimer> readMore_;  // picks up a burst where a pass stopped
  int linesPerPass_;
  uint64_t session_ = 0;  // counts closes, so delivery stops when a receiver disconnects
};
