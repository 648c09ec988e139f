// A test server program run in the foreground with its output in a log file,
// waited for until it accepts on its loopback port and stopped by its process
// id; the servers the fixtures start share it.
#pragma once

#include <cstdint>
#include <string>
#include <sys/types.h>
#include <vector>

class ServerProcess {
 public:
  ServerProcess() = default;
  ~ServerProcess() { Stop(); }
  ServerProcess(const ServerProcess&) = delete;
  ServerProcess& operator=(const ServerProcess&) = delete;

  // Starts `argv` and waits until 127.0.0.1:`port` accepts connections.
  bool Start(const std::vector<std::string>& argv, const std::string& logPath, uint16_t port);
  void Stop();

 private:
  bool WaitAccepting(uint16_t port, int timeoutMs) const;

  pid_t pid_ = -1;
};

// An IRC server the scenario tables run against.
class TestIrcd {
 public:
  virtual ~TestIrcd() = default;
  virtual bool Start() = 0;
  virtual uint16_t Port() const = 0;
};
