// The command line shared by the engine's console tools (velkocli, velkobot).
#pragma once

#include <string>
#include <vector>

#include "U_programline.h"

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
  // A lost server is connected again, with growing waits.
  bool reconnect = true;
};

// Which program reads the line, and whether it takes the DCC options.
struct CliProgram {
  ProgramSyntax syntax;
  bool dcc = false;
};

// The options, unless the line asks for help or the version or cannot be used.
struct CliCommand {
  ProgramLine line;
  CliOptions options;
};

// `args` are the raw bytes after the program's name. Starts from `defaults`;
// a --join replaces their channels.
CliCommand ParseCliOptions(const CliProgram& program, const std::vector<std::string>& args, CliOptions defaults = {});
