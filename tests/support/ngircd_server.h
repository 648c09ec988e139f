// A real ngircd on a free loopback port, with a generated configuration in a
// temporary folder; stopped by its process id.
#pragma once

#include <QTemporaryDir>
#include <cstdint>
#include <string>

#include "server_process.h"

class NgircdServer : public TestIrcd {
 public:
  // Keeps ngircd's command penalties, as a public server runs: a client's
  // commands are then processed a few per second. Call before Start.
  void EnableFloodControl() { floodControl_ = true; }
  // Listens for TLS too, on TlsPort(), with this certificate. Call before Start.
  void EnableTls(const std::string& certFile, const std::string& keyFile);
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
  std::string certFile_;
  std::string keyFile_;
  bool floodControl_ = false;
};
