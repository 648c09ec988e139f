// The servers that told us to speak TLS only (sts), by host name: the TLS
// port and until when. A policy seen over TLS is kept in the registry next to
// the settings, so a later plain address still connects over TLS; one seen
// on a plain connection only upgrades, for this engine's life.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>

struct ZoStsPolicy {
  int port = 0;
  int64_t expiresMs = 0;  // 0: for this engine's life only
};

// The keys of a policy value ("duration=86400,port=6697"); -1 when missing.
struct ZoStsValue {
  int port = -1;
  int64_t durationS = -1;
};
ZoStsValue ZoParseSts(const char* value);

class CZoStsPolicies {
 public:
  // Off: policies live in this engine's memory only (tests).
  void SetPersistent(bool on) { persistent_ = on; }

  std::optional<ZoStsPolicy> Find(const std::string& host, int64_t nowMs) const;
  // Upgrades `host` for this engine's life.
  void Upgrade(const std::string& host, int port);
  // Keeps the policy until `expiresMs`; one already expired is forgotten.
  void Remember(const std::string& host, int port, int64_t expiresMs, int64_t nowMs);

 private:
  std::optional<ZoStsPolicy> Stored(const std::string& key) const;
  void Store(const std::string& key, const std::optional<ZoStsPolicy>& policy) const;

  std::map<std::string, ZoStsPolicy> known_;  // this engine's, before the registry
  bool persistent_ = true;
};
