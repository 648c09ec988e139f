// A real ngircd on a free loopback port, with a generated configuration in a
// temporary folder; stopped by its process id.
#pragma once

#include <QTemporaryDir>
#include <cstdint>
#include <string>

#include "server_process.h"
#include "test_certificates.h"

class NgircdServer : public TestIrcd {
 public:
  // Keeps ngircd's command penalties, as a public server runs: a client's
  // commands are then processed a few per second. Call before Start.
  void EnableFloodControl() { floodControl_ = true; }
  // Listens for TLS too, on TlsPort(), with throwaway certificates of its own
  // for "localhost"; false when they could not be made. Call before Start.
  bool EnableTls() { return tls_ = certificates_.Make(); }
  const TestCertificates& Certificates() const { return certificates_; }
  // Starts the server and waits until it accepts connections.
  bool Start() override;
  void Stop() { process_.Stop(); }
  // Stopped and started again on the same ports, as a restart looks to clients.
  bool Restart();
  uint16_t Port() const override { return port_; }
  uint16_t TlsPort() const { return tlsPort_; }
  static constexpr const char* kName = "irc.velko.test";
  // An operator account, for tests that need the server to act (KILL).
  static constexpr const char* kOperName = "velko";
  static constexpr const char* kOperPassword = "velko";
  static constexpr const char* kMotd = "Welcome to the Velko test server";

 private:
  bool WriteConfig(const std::string& path);
  bool Launch();

  QTemporaryDir dir_;
  ServerProcess process_;
  uint16_t port_ = 0;
  uint16_t tlsPort_ = 0;
  TestCertificates certificates_;
  bool tls_ = false;
  bool floodControl_ = false;
};
