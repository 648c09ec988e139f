// The command line shared by the engine's console tools (velkocli, velkobot).
#pragma once

#include <optional>
#include <string>
#include <vector>

struct CliOptions {
  std::string host = "localhost";
  int port = 6667;
  bool tls = false;  // ircs://host[:port] or host:+port
  std::string nick = "QUELBO";
  std::string user = "QUELBO";
  std::vector<std::string> channels;
  // Incoming file offers are accepted into this folder; empty declines them.
  std::string dccDir;
  bool acceptChat = false;
};

// Null with a message in `error` when the arguments are not understood.
// Starts from `defaults`; a --join replaces their channels.
std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& args, std::string* error,
                                          CliOptions defaults = {});
