// A server address as users write it: "host[:port]", "host:+port" or
// "ircs://host[:port]", the last two asking for TLS (port 6697 unless given).
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct ZoServerAddress {
  std::string host;
  int port = 6667;
  bool tls = false;
  // False when a port was written that is no number from 1 to 65535; the
  // port is then the default one.
  bool portValid = true;
};

// Cut at the first ":"; nothing for an empty text.
std::optional<ZoServerAddress> ParseServerAddress(std::string_view text);
