// A real InspIRCd on a free loopback port, with a generated configuration in
// a temporary folder; stopped by its process id. It sends the colon-led last
// parameters and multi-prefix names ngircd does not.
#pragma once

#include <QTemporaryDir>
#include <cstdint>
#include <string>

#include "server_process.h"

class InspircdServer : public TestIrcd {
 public:
  // Loads the IRCv3 modules (tags, echo, away and host notes, monitor,
  // history...) at the next Start.
  void EnableIrcv3() { ircv3_ = true; }
  bool Start() override;
  uint16_t Port() const override { return port_; }

 private:
  bool WriteConfig(const std::string& path);

  QTemporaryDir dir_;
  ServerProcess process_;
  uint16_t port_ = 0;
  bool ircv3_ = false;
};
