#include "C_stspolicies.h"

#include <QByteArray>
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "registry.h"

namespace {

constexpr const char* kKeyPath = "Software\\QUELBO\\VELKO\\STS";

std::string Key(const std::string& host) {
  std::string key = host;
  for (char& c : key) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
  return key;
}

bool ValidPort(long port) { return port > 0 && port <= 65535; }

}  // namespace

ZoStsValue ZoParseSts(const char* value) {
  ZoStsValue parsed;
  for (const char* at = value; at && *at;) {
    const size_t length = strcspn(at, ",");
    const std::string pair(at, length);
    at += length + (at[length] == ',');
    const long long number = pair.find('=') != std::string::npos ? atoll(pair.c_str() + pair.find('=') + 1) : -1;
    if (pair.rfind("port=", 0) == 0 && ValidPort(static_cast<long>(number))) parsed.port = static_cast<int>(number);
    if (pair.rfind("duration=", 0) == 0 && number >= 0) parsed.durationS = number;
  }
  return parsed;
}

std::optional<ZoStsPolicy> CZoStsPolicies::Find(const std::string& host, int64_t nowMs) const {
  const std::string key = Key(host);
  std::optional<ZoStsPolicy> stored;
  if (const auto known = known_.find(key); known != known_.end()) stored = known->second;
  if (!stored) stored = Stored(key);
  if (stored && stored->expiresMs == 0) return stored;
  if (stored && stored->expiresMs <= nowMs) return std::nullopt;
  return stored;
}

void CZoStsPolicies::Upgrade(const std::string& host, int port) { known_[Key(host)] = {port, 0}; }

void CZoStsPolicies::Remember(const std::string& host, int port, int64_t expiresMs, int64_t nowMs) {
  const std::string key = Key(host);
  known_.erase(key);
  if (expiresMs <= nowMs) return Store(key, std::nullopt);
  known_[key] = {port, expiresMs};
  Store(key, known_[key]);
}

// Stored as "port expiry-ms"; anything else is no policy.
std::optional<ZoStsPolicy> CZoStsPolicies::Stored(const std::string& key) const {
  if (!persistent_) return std::nullopt;
  const std::unique_ptr<RegKey> registry = RegKey::OpenExisting(HKEY_LOCAL_MACHINE, kKeyPath);
  const std::optional<RegValue> value = registry ? registry->QueryValue(key.c_str()) : std::nullopt;
  if (!value || value->type != REG_SZ) return std::nullopt;
  long port = 0;
  long long expires = 0;
  if (sscanf(value->data.constData(), "%ld %lld", &port, &expires) != 2 || !ValidPort(port)) return std::nullopt;
  return ZoStsPolicy{static_cast<int>(port), expires};
}

void CZoStsPolicies::Store(const std::string& key, const std::optional<ZoStsPolicy>& policy) const {
  if (!persistent_) return;
  const std::unique_ptr<RegKey> registry = RegKey::Create(HKEY_LOCAL_MACHINE, kKeyPath);
  if (!registry) return;
  const QByteArray text =
      policy ? QByteArray::number(policy->port) + ' ' + QByteArray::number(static_cast<qlonglong>(policy->expiresMs))
             : QByteArray();
  registry->SetValue(key.c_str(), REG_SZ, text);
  registry->Flush();
}
