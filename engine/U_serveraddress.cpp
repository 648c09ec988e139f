#include "U_serveraddress.h"

#include <charconv>

std::optional<ZoServerAddress> ParseServerAddress(std::string_view text) {
  if (text.empty()) return std::nullopt;
  ZoServerAddress address;
  constexpr std::string_view kSecure = "ircs://";
  address.tls = text.starts_with(kSecure);
  if (address.tls) text.remove_prefix(kSecure.size());
  const size_t colon = text.find(':');
  address.host = std::string(text.substr(0, colon));
  std::string_view digits = colon == std::string_view::npos ? std::string_view() : text.substr(colon + 1);
  if (digits.starts_with('+')) {
    address.tls = true;
    digits.remove_prefix(1);
  }
  address.port = address.tls ? 6697 : 6667;
  if (colon == std::string_view::npos) return address;
  int port = 0;
  const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), port);
  address.portValid = !digits.empty() && error == std::errc() && end == digits.data() + digits.size() && port >= 1 &&
                      port <= 65535;
  if (address.portValid) address.port = port;
  return address;
}
