#include "cli_options.h"

#include "U_serveraddress.h"

namespace {

bool ParseAddress(const std::string& text, CliOptions* options) {
  const auto address = ParseServerAddress(text);
  if (!address || address->host.empty() || !address->portValid) return false;
  options->host = address->host;
  options->port = address->port;
  options->tls = address->tls;
  return true;
}

void SplitChannels(const std::string& text, std::vector<std::string>* channels) {
  size_t start = 0;
  while (start <= text.size()) {
    const size_t comma = text.find(',', start);
    const std::string channel = text.substr(start, comma == std::string::npos ? std::string::npos : comma - start);
    if (!channel.empty()) channels->push_back(channel);
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
}

}  // namespace

std::optional<CliOptions> ParseCliOptions(const std::vector<std::string>& args, std::string* error,
                                          CliOptions defaults) {
  CliOptions options = std::move(defaults);
  bool joinGiven = false;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& flag = args[i];
    if (flag == "--accept-chat") {
      options.acceptChat = true;
      continue;
    }
    if (i + 1 >= args.size()) {
      *error = "missing value after " + flag;
      return std::nullopt;
    }
    const std::string& value = args[++i];
    if (flag == "--addr") {
      if (!ParseAddress(value, &options)) {
        *error = "bad address: " + value;
        return std::nullopt;
      }
    } else if (flag == "--nick") {
      options.nick = value;
    } else if (flag == "--user") {
      options.user = value;
    } else if (flag == "--join") {
      if (!joinGiven) options.channels.clear();
      joinGiven = true;
      SplitChannels(value, &options.channels);
    } else if (flag == "--dcc-dir") {
      options.dccDir = value;
    } else {
      *error = "unknown option: " + flag;
      return std::nullopt;
    }
  }
  return options;
}
