// A real ngircd on a free loopback port, with a generated configuration in a
// temporary folder; stopped by its process id.
#pragma once

#include <QTemporaryDir>
#include <cstdint>
#include <string>
#include <sys/types.h>

class NgircdServer {
 public:
  NgircdServer() = default;
  ~NgircdServer() { Stop(); }
  NgircdServer(const NgircdServer&) = delete;
  NgircdServer& operator=(const NgircdServer&) = delete;

  // Keeps ngircd's command penalties, as a public server runs: a client's
  // commands are then processed a few per second. Call before Start.
  void EnableFloodControl() { floodControl_ = true; }
  // Starts the server and waits until it accepts connections.
  bool Start();
  void Stop();
  uint16_t Port() const { return port_; }
  static constexpr const char* kName = "irc.velko.test";
  // An operator account, for tests that need the server to act (KILL).
  static constexpr const char* kOperName = "velko";
  static constexpr const char* kOperPassword = "velko";

 private:
  bool WriteConfig(const std::string& path);
  bool WaitAccepting(int timeoutMs) const;

  QTemporaryDir dir_;
  uint16_t port_ = 0;
  pid_t pid_ = -1;
  bool floodControl_ = false;
};
