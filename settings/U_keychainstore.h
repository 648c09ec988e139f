// The desktop's secret service (KWallet, GNOME Keyring or another Secret
// Service) reached through QtKeychain, asked synchronously. What it holds is
// remembered for the process, and a service that does not answer is not
// asked again.
#pragma once

#include <map>

#include "U_secrets.h"

class TKeychainStore : public ISecretStore {
 public:
  std::optional<std::string> Read(const std::string& name) override;
  bool Write(const std::string& name, const std::string& secret) override;

 private:
  bool unavailable_ = false;
  std::map<std::string, std::string> known_;
};
